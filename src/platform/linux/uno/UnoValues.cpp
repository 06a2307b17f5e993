#include "UnoValues.h"

#include "platform/RuntimeError.h"

css::uno::Any toAny(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType: return {};
    case QMetaType::Bool: return css::uno::Any(value.toBool());
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return css::uno::Any(sal_Int16(value.toInt()));
    case QMetaType::Int: return css::uno::Any(sal_Int32(value.toInt()));
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return css::uno::Any(sal_Int64(value.toLongLong()));
    case QMetaType::Float:
    case QMetaType::Double: return css::uno::Any(value.toDouble());
    case QMetaType::QString: return css::uno::Any(toOUString(value.toString()));
    default: throw Err::typeMismatch();
    }
}

QVariant toVariant(const css::uno::Any& value) {
    switch (value.getValueTypeClass()) {
    case css::uno::TypeClass_BOOLEAN: return value.get<bool>();
    case css::uno::TypeClass_BYTE: return int(value.get<sal_Int8>());
    case css::uno::TypeClass_SHORT: return int(value.get<sal_Int16>());
    case css::uno::TypeClass_UNSIGNED_SHORT: return int(value.get<sal_uInt16>());
    case css::uno::TypeClass_LONG: return int(value.get<sal_Int32>());
    case css::uno::TypeClass_UNSIGNED_LONG: return qlonglong(value.get<sal_uInt32>());
    case css::uno::TypeClass_HYPER: return qlonglong(value.get<sal_Int64>());
    case css::uno::TypeClass_UNSIGNED_HYPER: return qulonglong(value.get<sal_uInt64>());
    case css::uno::TypeClass_FLOAT: return double(value.get<float>());
    case css::uno::TypeClass_DOUBLE: return value.get<double>();
    case css::uno::TypeClass_STRING: return toQString(value.get<rtl::OUString>());
    default: return {};
    }
}
