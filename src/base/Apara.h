#pragma once

#include <QString>
#include <QStringView>

// To trim a text, everywhere in the system, is to remove its leading and
// trailing characters of code 32 or below (blanks and control characters).
QString Apara(QStringView texto);
QString AparaEsquerda(QStringView texto);
