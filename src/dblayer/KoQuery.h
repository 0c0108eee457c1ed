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

    TKoParam& ParamByName(const QString& nome);
    TKoField& FieldByName(const QString& nome);  // EDatabaseError when missing
    TKoField* FindField(const QString& nome);
    int FieldCount() const { return int(FCampos.size()); }
    TKoField& Fields(int i) { return FCampos[size_t(i)]; }

    bool Active() const { return FAtiva; }
    void First();
    void Next();
    bool Eof() const { return FEof; }
    bool Bof() const { return FRegistro == 0; }
    int RecordCount() const { return int(FLinhas.size()); }
    int RecNo() const { return FAtiva && !FLinhas.empty() ? FRegistro + 1 : 0; }
    void Close();

    // Deleting the current row through a query is always refused, silently.
    void Delete();

protected:
    // Runs the statement now in FTextoEnviado under the time limit (ms; 0
    // none), inside the connection's transaction; it counts as a write.
    void ExecutaNoServidor(int limiteMs);
    // Opens the statement now in FTextoEnviado as a result set under the
    // time limit and reads every row; anything but a SELECT counts as a write.
    void AbreCursorNoServidor(int limiteMs);
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
    void NovoComando(QSqlDatabase& conexao, quint64 geracao);
    void BindParametros();
    void RodaNoServidor(int limiteMs);
    void CarregaLinhas();
    void PosicionaEm(int registro);

    void DescartaComando();

    std::unique_ptr<QSqlQuery> FComando;
    QString FTextoPreparado;
    quint64 FGeracaoPreparada = 0;
    QStringList FNomesParametros;
    bool FBloqueiaDelete = true;
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
    // delete. Errors come back as "Erro KoQuery.Open: " + message.
    void Open();
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
};
