#pragma once

#include <gtest/gtest.h>

#include <QString>

#include <functional>
#include <vector>

// One row of a table of translation cases: what goes in, for which driver,
// and what must come out.
struct CasoTraducao {
    const char* nome;
    const char* driver;
    const char* entrada;
    const char* esperado;
};

using PassoTraducao = std::function<QString(const QString& texto, const QString& driver)>;

inline void ConfereCasos(const PassoTraducao& passo, const std::vector<CasoTraducao>& casos)
{
    for (const CasoTraducao& caso : casos) {
        SCOPED_TRACE(caso.nome);
        const QString obtido =
            passo(QString::fromUtf8(caso.entrada), QString::fromUtf8(caso.driver));
        EXPECT_EQ(obtido.toStdString(), std::string(caso.esperado)) << "driver " << caso.driver;
    }
}
