#pragma once

#include <QString>

// Creates the folder `wanted`, or when that name is taken by a file or folder,
// wanted + n for the first free n > start (T, T1, T2 ...). One level: the
// parent must exist. Returns the created path, or an empty string with the
// reason in Chinese in errorText.
QString MakeUniqueFolder(const QString &wanted, int start, QString *errorText = nullptr);

// The name cut, at a character boundary, so that it and an appended number fit
// the file system's limit on one name (255 bytes).
QString fitFolderName(const QString &name);

// Why making or renaming a folder failed (an errno value), in Chinese.
QString folderFailure(int error);
