#pragma once

#include <QString>
#include <QStringList>

class TConfiguracao;
class TKoDatabase;
class TRelator;

// The lines of a configuration check (quelix --verifica, "Verificar
// configuração"): one per check, "ok: ..." or "FALHA: ... : why", and
// warnings ("aviso: ...") that do not fail it. Each line goes to the log
// pane (or standard output) as it is decided.
class TVerificacao {
public:
    explicit TVerificacao(TRelator& relator) : FRelator(relator) {}

    void Ok(const QString& oQue);
    void Falha(const QString& oQue, const QString& motivo);
    void Aviso(const QString& texto);
    // ok or FALHA by the motive: empty passes.
    void Confere(const QString& oQue, const QString& motivo);
    bool Passou() const { return FFalhas == 0; }
    // A failure whose lines were written elsewhere (a part checked on a
    // thread of its own).
    void ContaFalha() { ++FFalhas; }
    TRelator& Relator() const { return FRelator; }

    // A key that must hold a value.
    void ChavePreenchida(const TConfiguracao& ini, const QString& secao, const QString& chave);
    // A switch read as `S`: empty, S or N (any other value reads as N,
    // which is likely a mistake).
    void ChaveSimNao(const TConfiguracao& ini, const QString& secao, const QString& chave);

private:
    TRelator& FRelator;
    int FFalhas = 0;
};

// An index a pass needs on a table the monitor does not own: --verifica
// warns when the server's catalogue shows none.
struct TIndiceNecessario {
    TKoDatabase* Banco;
    QString Tabela;
    QStringList Colunas;
    QString Motivo;  // which pass slows down without it
};

// A table of the monitor's own in a database it does not own, which the
// schema scripts create: --verifica fails when it is not there, and the
// statements that name it are then not prepared one by one.
struct TTabelaPropria {
    TKoDatabase* Banco;
    QString Tabela;
    QString Motivo;  // what goes wrong without it
};
