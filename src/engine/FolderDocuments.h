#pragma once
#include <QString>
#include <QStringList>

#include "platform/Platform.h"

// The documents "Add All Writer Files In Folder" appends for a folder and an extension ("odt", or
// "*" for every file), in the order it appends them: the folder's tree through GetSubDirectories2016,
// then each folder's matching files, leaving out names that begin with "~" and hidden files whose
// attribute value is exactly hidden + archive (34); each path normalised.
QStringList FolderDocuments(Platform& platform, const QString& folder, const QString& extension);
