#pragma once
#include <QString>
#include <QStringList>

#include "platform/FileSystem.h"

// Path helpers shared by the ways of adding, the print run and the PDF output.
// On this platform the separator is '/', and every rule about '\' applies to '/'.

// Collapses doubled separators pairwise, left to right, in one pass; a leading run of
// separators becomes one '/', since there are no network paths here.
QString NormalizePath(const QString& path);
// True for a regular file (links followed) that can be opened; false for folders and anything else.
bool IsExistingFile(FileSystem& files, const QString& path);
// True when the path's attributes include the directory attribute.
bool IsFolder(FileSystem& files, const QString& path);
// Names of the files in folder matching pattern that pass IsExistingFile, in enumeration order.
QStringList ListFolderFiles(FileSystem& files, QString folder, const QString& pattern);
// The text after the last separator; the whole text when it holds none.
QString GetFileName(const QString& path);
// The text before the last '.', unless that '.' is the first character or absent.
QString RemoveExtension(const QString& path);
