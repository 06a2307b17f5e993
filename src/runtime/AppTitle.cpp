#include "AppTitle.h"

namespace {
QString& title() {
    static QString value = ProductName;
    return value;
}
}  // namespace

QString AppTitle() { return title(); }

QString TitleFromProductName(QString name) {
    while (name.size() > 40) {
        const qsizetype blank = name.lastIndexOf(QLatin1Char(' '));
        if (blank < 0) return name.left(40);  // one long word: cutting at blanks cannot shorten it
        name.truncate(blank);
    }
    return name;
}

void SetAppTitle(const QString& productName) { title() = TitleFromProductName(productName); }
