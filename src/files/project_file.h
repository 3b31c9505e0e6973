#pragma once

#include "files/project_lines.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace platform {
class DriveTable;
}

namespace files {

inline const QString kProjectFilter = QStringLiteral("Projeto Quelvora|*.jjj");
inline const QString kNothingToSaveMessage = QStringLiteral(
    "Nenhum arquivo shp ou de imagem foi encontrado para gravar  projeto. Inicialmente abra "
    "arquivos para "
    "compor e gravar o projeto.");
inline const QString kOtherDriveMessage = QStringLiteral(
    "Não é possível gravar projeto em drive diferente da localização dos arquivos partes do "
    "projeto. Não é "
    "necessário que seja no mesmo diretorio mas, é regra que seja o mesmo drive");
inline const QString kUnreadableProjectMessage = QStringLiteral(
    "Nao é possível ler arquivo de projeto,verifique o caminho dos arquivos. Os arquiovos de temas "
    "devem estar "
    "no mesmo drive que o projeto");

// The lines of a project file for the theme list, top first: "*" for a theme
// switched off, the display part and "," when the line has one, and the
// path without its first three characters (drive letter, ":" and "\").
QStringList projectFileLines(const std::vector<ThemeEntry>& themes);

// True when the first theme's path starts with the same character as the
// project's (Windows-form) path, compared exactly.
bool projectOnThemeDrive(const QString& firstThemeLine, const QString& projectPath);

// The data file path the first line of a project file names on `drive`
// (a leading "*" ignored; of a line naming a layer of its file, the file);
// nothing for an empty line list.
std::optional<QString> firstThemePath(const QStringList& firstLine, QChar drive);

// What follows kUnreadableProjectMessage when the first theme's file is
// missing: its Windows-form path and the native path looked at or, when its
// drive letter maps no folder, the line that maps it and the drive table
// file to add it to (`driveTableFile`, drives.conf of the configuration
// folder).
QString missingThemeDetail(const QString& themePath, const platform::DriveTable& drives,
                           const QString& driveTableFile);

}  // namespace files
