#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252, the ANSI code page of the Portuguese Windows on which the
// daily logs are read and QX.ini files are edited. It is Latin-1 but for
// 0x80-0x9F, which hold the euro sign, curly quotes, dashes and a few
// letters. Qt has no converter of its own for it.

// Each character as its byte; one the code page lacks becomes "?".
QByteArray ParaWindows1252(const QString& texto);
// Each byte as its character; the five bytes the code page leaves
// undefined become U+FFFD.
QString DeWindows1252(const QByteArray& bytes);
