#pragma once

#include <QByteArray>
#include <QString>

namespace zel {

/// Writes the initialisation templates under \a programFolder: for every dash model and ECU
/// the dash can run with, the files of initialisationFileNames() in templateFolder(). The
/// settings name the model's and ECU's codes and log every channel of their list, with an
/// empty card ID; the translations hold that list's names. The gauge, PWM and screen files
/// belong to the dash and mean nothing to this program, which only copies them: they are
/// small placeholders naming their kind, model and ECU. The same call always writes the same
/// bytes; every file is replaced in one step. Throws FileError or LoggerTableError naming
/// the file that could not be written.
void writeInitialisationTemplates(const QString &programFolder);

/// Size of each placeholder file.
constexpr int kTemplatePlaceholderSize = 512;

/// The placeholder for the dash's own file \a fileName (gauge, PWM or screen file) of dash
/// model \a dash with ECU \a ecu (positions in their lists).
QByteArray dashFilePlaceholder(const QString &fileName, int dash, int ecu);

} // namespace zel
