#pragma once
#include <QString>

// The program names a document as "file:///" followed by its path, unescaped, as it always has.
// Here a path begins with "/" (so four slashes come out) and a name may hold "#", "%", blanks or
// non-ASCII letters, which a URL must escape. Such a URL that names an existing file becomes the
// proper URL of that file; any other URL is left to the office as it is.
QString DocumentUrl(const QString& url);
