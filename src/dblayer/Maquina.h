#pragma once

#include <QString>

// The computer's network name, at most 15 characters; empty when unknown.
QString NomeMaquina();

// The machine's first local IPv4 address as dotted text.
QString IPLocal();

// The decimal text of a value with zeros in front up to the width
// (5, 2 -> "05"; 123, 2 -> "123").
QString CompletaZeros(qint64 valor, int largura);
