#pragma once

#include "dblayer/KoCampo.h"
#include "base/ListaLinhas.h"
#include "dblayer/traducao/ConverteSQL.h"

#include <QObject>
#include <QSqlQuery>

#include <map>
#include <memory>
#include <vector>

class TKoDatabase;

// The query component: every SQL statement of the system runs through one.
// Its text is a list of lines; before every execution and cursor opening it
// is translated into the dialect of the connection's driver.
class TKoCustomQuery : public QObject {
    Q_OBJECT
public:
    explicit TKoCustomQuery(QObject* owner = nullptr);
    ~TKoCustomQuery() override;

    TKoDatabase* Database() const { return FDatabase; }
    void SetDatabase(TKoDatabase* banco);

    bool TempoLimite = true;    // every statement gets the driver's time limit (Open included)

    TListaLinhas SQL;
    // Closes the query and makes these lines its whole text.
    void DefineLinhas(const QStringList& linhas);

    TKoParam& ParamByName(const QString& nome);
    TKoField& FieldByName(const QString& nome);  // EDatabaseError when missing
    TKoField* FindField(const QString& nome);
    int FieldCount() const { return int(FCampos.size()); }
    TKoField& Fields(int i) { return FCampos[size_t(i)]; }

    bool Active() const { return FAtiva; }
    void First();
    void Next();
    bool Eof() const { return FEof; }
    int RecordCount() const { return int(FLinhas.size()); }
    int RecNo() const { return FAtiva && !FLinhas.empty() ? FRegistro + 1 : 0; }
    void Close();
    // The rows the last executed statement changed, as the server counted
    // them; -1 when unknown.
    int RowsAffected() const { return FLinhasAfetadas; }
    // The parameters of the statement last run, in the order it names them,
    // with the values bound to it: what the server was given. Empty when
    // that statement had none, when it failed before anything was bound,
    // and once its connection was closed.
    QList<std::pair<QString, QVariant>> ValoresEnviados() const;

protected:
    // Runs the statement now in FTextoEnviado under the time limit (ms; 0
    // none), inside the connection's transaction; it counts as a write.
    void ExecutaNoServidor(int limiteMs);
    // Opens the statement now in FTextoEnviado as a result set under the
    // time limit and reads every row; anything but a SELECT counts as a write.
    void AbreCursorNoServidor(int limiteMs, int maximoLinhas = 0);
    void LimpaResultado();
    // The execution time limit of the statements for this driver.
    int LimiteMs() const;
    bool EhPostgres() const;
    TKoDatabase& Banco() const;  // EDatabaseError when no connection is set

    TKoDatabase* FDatabase = nullptr;
    QString FTextoEnviado;  // the translated text, as sent to the server
    std::map<QString, TKoParam> FParams;

private:
    // Makes FComando ready for the text; false when the text is to be sent
    // directly (it has no parameters).
    bool PreparaComando(const QString& texto);
    std::unique_ptr<QSqlQuery> NovoComando(QSqlDatabase& conexao) const;
    void BindParametros(const QStringList& nomes);
    void RodaNoServidor(int limiteMs);
    void CarregaLinhas(int maximoLinhas);
    void PosicionaEm(int registro);

    void DescartaComando();

    // The statements with parameters this query prepared, the one used last
    // at the end: a pass that runs a few statements in turn on one query
    // (a lookup, a delete, an insert...) prepares each once, not once per
    // record. They belong to one attachment (FGeracaoPreparada).
    struct TComandoPreparado {
        QString Texto;
        QStringList Parametros;
        std::unique_ptr<QSqlQuery> Comando;
    };
    static constexpr size_t MaximoPreparados = 8;
    std::vector<TComandoPreparado> FPreparados;
    std::unique_ptr<QSqlQuery> FDireto;  // statements without parameters
    quint64 FGeracaoPreparada = 0;
    QSqlQuery* FComando = nullptr;       // the statement now in use
    QStringList FNomesEnviados;          // the parameters bound to FComando for the statement last run
    int FLinhasAfetadas = -1;
    bool FAtiva = false;
    bool FEof = true;
    int FRegistro = 0;
    std::vector<TKoField> FCampos;
    std::vector<std::vector<QVariant>> FLinhas;
};

class TKoQuery : public TKoCustomQuery {
    Q_OBJECT
public:
    using TKoCustomQuery::TKoCustomQuery;

    // Opens a result set, or executes when the text is an insert, update or
    // delete. Errors come back as "Erro KoQuery.Open: " + message. With
    // `maximoLinhas` above 0 only that many rows are fetched (the rest never
    // leave the server): for a caller that only needs to know the statement
    // runs, or whether there is a row.
    void Open(int maximoLinhas = 0);
    // One attempt; failures are logged and raised.
    void ExecSQL();
    // Up to four attempts, one second apart, on deadlock or time-out.
    void TryExecSQL();

    // Translates the SQL text for the connection's driver (cached).
    void ConverteSQL();

    // True unless the text starts with UPDATE, INSERT or DELETE.
    static bool EhConsulta(const QString& texto);

private:
    // The translation cache: the source text of the last translation
    // (FSQLOriginal) and the text it produced (FSQLAnterior).
    TCacheTraducao FCache;
    void TentaUmaVez(int limiteMs);
    void AvisaObservador() const;
};
