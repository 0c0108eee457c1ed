#pragma once

#include "integracoes/eas/TabelasHost.h"

#include <QList>
#include <QString>
#include <QStringList>

class TDadosEas;

// A marking of exported ERP rows: the flag STATUS_EAS + type set to "N" on
// the pending rows of a table that `Condicoes` name, once for each list of
// `Valores` (bound to `Parametros` in order), all committed together.
struct TMarcacaoErp {
    QString Tabela;
    QString Tipo;
    QString Descricao;
    QString NumeroFal;  // the lot, as passed, for the failure message
    QStringList Condicoes;
    QStringList Parametros;
    QList<QStringList> Valores;
};

// One master-data step: its query, the text of its query failure, and how
// a sent row is named again when it is marked.
struct TPassoCadastro {
    QString Tipo;
    QStringList Linhas;
    QString FalhaConsulta;
    QString Tabela;
    QString Descricao;
    // Lines that restrict the marking to one sent row; a line with a
    // parameter takes it from the result column of the same name.
    QStringList Chaves;
    QStringList ColunasChave;
};

// EnviaParaEas: the ERP rows pending for the kitchen (materials, stock
// entries, products, customers, colours, lots with their items, concluded
// phases) written to FFROMHOST and then marked exported in the ERP.
class TEnvioEas {
public:
    explicit TEnvioEas(TDadosEas& dados);

    // The seven steps in order.
    void EnviaParaEas();

    void EnviaMateriais();
    void EnviaEstoque();
    void EnviaProdutos();
    void EnviaClientes();
    void EnviaCores();
    void EnviaFals();
    // False when the items could not be read or one was refused: the lot's
    // sends are then undone by the caller.
    bool EnviaItensFal(const QString& numeroFal);
    void EnviaMensagensFase();

    // Marks the table's pending rows of one lot (its number trimmed) as
    // exported, logs the outcome, and on failure also shows a message.
    bool MarcaEnviadoErp(const QString& tabela, const QString& numeroFal, const QString& tipo,
                         const QString& descricao);
    // Runs the marking and commits; the success line only when asked (a
    // master-data step marks row by row and says it once).
    bool Marca(const TMarcacaoErp& marcacao, bool relataSucesso = true);
    // The same with the marking statement already filled (a step runs one
    // statement for every row it marks).
    bool Marca(TKoQuery& comando, const TMarcacaoErp& marcacao, bool relataSucesso);
    void RelataMarcacao(const TMarcacaoErp& marcacao);

    static const TPassoCadastro& PassoMateriais();
    static const TPassoCadastro& PassoEstoque();
    static const TPassoCadastro& PassoProdutos();
    static const TPassoCadastro& PassoClientes();
    static const TPassoCadastro& PassoCores();

private:
    void EnviaCadastro(const TPassoCadastro& passo);
    // Sends the rows of one key; true when all of them are committed.
    bool EnviaDaChave(const QString& tipo, const QStringList& registros);
    bool Liberada(TKoQuery& processos, const QString& numeroFal);
    // Commits what was written to the host; false, with a line, on failure.
    bool ConfirmaNoHost();
    void EnviaMensagensDaFase(TKoQuery& lotes, const QString& fase, const QString& processo,
                              const QString& mensagem, bool& continua);

    TDadosEas& FDados;
    TGravacaoHost FHost;
};

// True when the text can stand in a column name: ASCII letters, digits and
// "_", at least one.
// The marking condition "column equals the value, or both are empty" that
// means the same in every dialect; its parameters are :COLUNA and
// :COLUNA_VAZIO.
QString CondicaoVazioIgual(const QString& coluna);

bool NomeDeColunaValido(const QString& texto);
