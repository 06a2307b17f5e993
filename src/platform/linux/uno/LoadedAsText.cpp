#include "LoadedAsText.h"

#include <QFileInfo>
#include <QSet>
#include <QUrl>
#include <com/sun/star/beans/PropertyValue.hpp>

#include "UnoErrors.h"
#include "UnoValues.h"

namespace {
// Extensions of the word-processing formats the office reads.
const QSet<QString> DocumentExtensions{
    QStringLiteral("odt"), QStringLiteral("ott"), QStringLiteral("fodt"), QStringLiteral("odm"), QStringLiteral("oth"),
    QStringLiteral("sxw"), QStringLiteral("stw"), QStringLiteral("sxg"), QStringLiteral("sdw"), QStringLiteral("doc"),
    QStringLiteral("dot"), QStringLiteral("docx"), QStringLiteral("docm"), QStringLiteral("dotx"), QStringLiteral("dotm"),
    QStringLiteral("rtf"), QStringLiteral("wpd"), QStringLiteral("wps"), QStringLiteral("lwp"), QStringLiteral("abw"),
    QStringLiteral("zabw"), QStringLiteral("hwp"), QStringLiteral("pages")};

QString filterOf(const css::uno::Reference<css::frame::XModel>& model) {
    for (const css::beans::PropertyValue& arg : model->getArgs())
        if (arg.Name == "FilterName") return toQString(arg.Value.get<rtl::OUString>());
    return {};
}
}  // namespace

void RefuseFalseDocument(const QString& url, const css::uno::Reference<css::frame::XModel>& model) {
    const QFileInfo file(QUrl(url).toLocalFile());
    if (!DocumentExtensions.contains(file.suffix().toLower())) return;
    const bool empty = file.exists() && file.size() == 0;
    const bool readAsText = filterOf(model).startsWith(QStringLiteral("Text"));
    if (!empty && !readAsText) return;
    throw RuntimeError(OfficeErr::Exception,
                       QStringLiteral("\"%1\" is not a %2 document: it is %3. It was not printed.")
                           .arg(file.fileName(), file.suffix().toUpper(),
                                empty ? QStringLiteral("empty") : QStringLiteral("readable only as plain text")));
}
