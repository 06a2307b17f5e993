#pragma once
#include <QString>
#include <QVariant>
#include <com/sun/star/uno/Any.hxx>
#include <rtl/ustring.hxx>

inline rtl::OUString toOUString(const QString& s) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), sal_Int32(s.size()));
}
inline QString toQString(const rtl::OUString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

// The late-bound values that cross the bridge: truth values, numbers and texts.
// Throws Err::typeMismatch() for a value of any other kind.
css::uno::Any toAny(const QVariant& value);
// Values of other kinds (structs, interfaces) come back empty.
QVariant toVariant(const css::uno::Any& value);
