#pragma once

#include "RelatorGravador.h"
#include "SiteTeste.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class TMonitora;

// Helpers of the monitor tests.
class TKoDatabase;

namespace ApoioMonitor {

// The sites' databases and sections of QX.ini (CriaErp, SecaoBanco1,
// SiteBruma...), as the monitor tests have always named them.
using namespace SiteTeste;

// A new folder of this test run holding a QX.ini with that text.
QString PastaComIni(const QString& conteudo);

// A copy of the executable `executavel` alone in a new folder beside a
// QX.ini with that text; its path.
QString InstalaExecutavel(const QString& executavel, const QString& ini);

// How a run of a program ended: its exit status (-1 when it did not end
// normally within five minutes, when it is killed), its standard output and
// standard error.
struct TSaida {
    int status = -1;
    QString saida;
    QString erros;
};

// Runs `programa` from the system's temporary folder, so that the QX.ini it
// reads is the one beside the executable, not one in the working folder.
TSaida Executa(const QString& programa, const QStringList& argumentos,
               const QProcessEnvironment& ambiente = QProcessEnvironment::systemEnvironment());

// Queue rows of QX_INTEGRA with these STATUS values in ORDEM 1, 2, ...
// (an empty text is NULL).
void InsereFila(const QString& erp, const QStringList& status);
// Opens an embedded ERP file through a connection of this process.
void AbreErp(TKoDatabase& banco, const QString& erp);

// The STATUS values of QX_INTEGRA by ORDEM, read through a new connection,
// as texts ("" for NULL).
QStringList LeStatusFila(const QString& erp);

// STATUS_QX of a lot in an embedded Firebird ERP.
QString StatusDoLote(const QString& erp, const QString& numero);
// Opens a connection component on a database of the PostgreSQL test server.
void AbrePostgres(TKoDatabase& banco, const QString& base);

// Handles this thread's events until the queue tab's reading has arrived;
// false when it has not within a minute.
bool EsperaLeituraFila(TMonitora& monitora);

} // namespace ApoioMonitor

// A recorder that also keeps the title of every question.
class TRelatorComTitulos : public TRelatorGravador {
public:
    QStringList Titulos;
    bool Pergunta(const QString& texto, const QString& titulo) override
    {
        Titulos << titulo;
        return TRelatorGravador::Pergunta(texto, titulo);
    }
};
