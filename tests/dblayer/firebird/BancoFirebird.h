#pragma once

#include <QSqlDatabase>
#include <QString>

// A fresh Firebird database for one test, reached either through the
// embedded engine (a local file) or through the test server over TCP.
enum class FormaAcesso { Embarcado, Servidor };

struct BancoFirebird {
    FormaAcesso forma;
    QString arquivo;
    QString host; // empty for the embedded engine

    // Creates the database file with isql-fb and runs the given DDL in it.
    static BancoFirebird cria(FormaAcesso forma, const QString& ddl = QString());

    // A new open connection over DriverFirebird; fails the test if it cannot.
    QSqlDatabase conecta(const QString& nomeConexao) const;
};

const char* nomeDaForma(FormaAcesso forma);

#include <gtest/gtest.h>

#include <QList>

// Tests that run once on the embedded engine and once on the server; the
// connections they open are closed and removed at the end of each test.
class TesteFirebird : public ::testing::TestWithParam<FormaAcesso> {
protected:
    BancoFirebird criaBanco(const QString& ddl = QString()) { return BancoFirebird::cria(GetParam(), ddl); }
    QSqlDatabase conecta(const BancoFirebird& banco);
    void TearDown() override;

private:
    QList<QString> m_conexoes;
};

#define INSTANCIA_NAS_DUAS_FORMAS(Teste)                                                       \
    INSTANTIATE_TEST_SUITE_P(Formas, Teste,                                                    \
                             ::testing::Values(FormaAcesso::Embarcado, FormaAcesso::Servidor), \
                             [](const auto& caso) { return std::string(nomeDaForma(caso.param)); })
