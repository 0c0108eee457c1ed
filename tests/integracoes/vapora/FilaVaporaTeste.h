#pragma once

#include "RelatorGravador.h"
#include "ServicoSoapTeste.h"
#include "dblayer/KoDatabase.h"
#include "integracao/Configuracao.h"
#include "integracao/Integracao.h"
#include "integracoes/vapora/Vapora.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <ostream>

// Texts in the failures of the tests as text.
inline void PrintTo(const QString& texto, std::ostream* saida)
{
    *saida << '"' << texto.toStdString() << '"';
}

// A queue row as a test writes it; an empty Status is NULL.
struct TLinhaFila {
    int Ordem;
    QString Tipo;
    QString Operacao;
    QString Campo1;
    QString Campo2 = {};
    QString Campo3 = {};
    QString Status = {};
};

// A recorder that can act when a log line is written (another writer
// touching the queue while a row is handled, say), and keeps the records
// reported to the journal as "key outcome".
class TRelatorComGancho : public TRelatorGravador {
public:
    std::function<void(const QString&)> AoAdicionarLinha;
    QStringList Registros;
    void AdicionaLinha(const QString& linha) override
    {
        TRelatorGravador::AdicionaLinha(linha);
        if (AoAdicionarLinha)
            AoAdicionarLinha(linha);
    }
    void RegistraRegistro(const TRegistroTratado& registro) override
    {
        TRelatorGravador::RegistraRegistro(registro);
        Registros << registro.Chave + u' ' + Texto(registro.Desfecho);
    }
};

// A fresh ERP (embedded Firebird file, the ERP schema) for every test, the
// test SOAP service of the suite, and a QX.ini whose [Vapora] locations
// point at that service; the Vapora integration over them, as the cycle
// runs it.
class FilaVapora : public ComServicoSoap {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads sample rows into the ERP (before it opens), then opens it.
    void Prepara(const QString& sqlErp = {});
    // Rewrites QX.ini: SecaoVaporaNoServico with these lines.
    void EscreveIni(const QString& linhasVapora = {});
    // Adds queue rows (values bound, so any text goes in as it is) and commits.
    void InsereFila(const QList<TLinhaFila>& linhas);
    // Adds lots of these numbers to FAL_001 (bound too) and commits.
    void InsereLotes(const QStringList& numeros);
    // One pass: SelecionaFila, then ProcessaFila.
    void RodaPasso();

    // The committed STATUS of every queue row in the order of insertion, as
    // "ORDEM:STATUS" ("" for NULL), read through another connection.
    QStringList StatusFila() const;
    // Runs a statement on another connection and commits it.
    void ExecutaEmOutraConexao(const QString& sql) const;

    // Every SOAP call received, in order, as "Interface.operacao(...)" with
    // each parameter as name=text, a structure as name{...} (see Resumo).
    QStringList Chamadas() const;

    QString FErpArquivo;
    QString FPastaIni;
    TRelatorComGancho FRelator;
    TKoDatabase FErp;
    std::unique_ptr<TConfiguracao> FConfiguracao;
    std::unique_ptr<TContextoIntegracao> FContexto;
    std::unique_ptr<TVapora> FVapora;
};

// The section [Vapora] of a QX.ini: these lines, then the nine locations at
// the test service (a location given in the lines takes precedence: the
// first of two equal keys counts).
QString SecaoVaporaNoServico(const TServicoSoapTeste& servico, const QString& linhas = {});

// The element's children as "name=text" or "name{...}", comma separated.
QString Resumo(const struct TNoXml& elemento);
