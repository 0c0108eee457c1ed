#pragma once

#include "dblayer/KoDatabase.h"
#include "integracao/AbreConexao.h"

#include <QList>
#include <QString>

#include <initializer_list>
#include <optional>

class TConfiguracao;

// The connection an integration adds to the monitor's, from a QX.ini section
// of its own: offered to the core's cycle (Conexoes) once start-up has
// configured it, closed at shut-down (Encerra).
class TConexaoDaSecao {
public:
    explicit TConexaoDaSecao(TKoDatabase& banco) : FBanco(banco) {}

    // Configures it from the section as start-up does (ConfiguraDaSecao) and
    // tries to open it; a failure comes back as its message, to be shown.
    std::optional<QString> Conecta(const TConfiguracao& ini, const QString& secao, const QString& databaseName,
                                   TServidorPostgres servidor = TServidorPostgres::SempreLido);

    QList<TKoDatabase*> Conexoes() const;
    void Encerra();

private:
    TKoDatabase& FBanco;
    bool FbConfigurado = false;
};

// Undoes what each connection holds uncommitted, each on its own: a rollback
// that fails (a lost connection) must neither leave another side's changes
// waiting for the next commit nor hide the error that ended the record.
void DesfazPendentes(std::initializer_list<TKoDatabase*> bancos);
