#pragma once

#include "PlanoFalhas.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>


// What a check found wrong with one record, by kind.
struct TAchados {
    QStringList Perdidos;         // never reached its destination (or still pending at the end)
    QStringList Dobrados;         // reached it more than once
    QStringList NaoDitos;         // an outcome or a fault with no line, or missing from the journal
    QStringList FalhasSemRecusa;  // failed though the other side never refused it
    QStringList Estoque;          // a stock that is not the initial one minus the consumptions

    void Junta(const TAchados& outros);
};

// Records as the journal of a monitor's folder holds them (quelix
// --historico --formato json), or as the databases hold them: key -> count.
using TContagem = QMap<QString, int>;

// The Vapora side: an ERP on the Firebird server whose queue QX_INTEGRA the
// campaign fills with rows of every type, each carrying a code of its own
// that the service's requests are matched by.
class TCenarioVapora {
public:
    TCenarioVapora();

    // [Banco1], [Vapora] at the service's port, the Vapora model.
    QString Ini(int portaServico) const;
    // The next `quantas` rows of the stream (a lot's order, programme and
    // start permission come together, the lot written first).
    void Insere(TSorteio& sorteio, int quantas);
    int Inseridas() const { return int(FLinhas.size()); }
    // Rows with STATUS 0 or NULL.
    int Pendentes() const;
    // ORDEM -> 1 for every row with a final STATUS.
    TContagem Feitos() const;
    // Every row against what the service received and the monitor said.
    TAchados Confere(const QList<QJsonObject>& pedidos, const QStringList& linhasMonitor) const;

    const QString& Erp() const { return FErp; }

private:
    struct TLinha {
        int Ordem;
        QString Tipo, Operacao, Campo1, Campo2, Campo3;
        QString OperacaoSoap;  // "Servico.operacao"
        QString Codigo;        // what the request carries of this row alone
    };
    QMap<int, QString> Status() const;

    QString FErp;
    QList<TLinha> FLinhas;
    int FProximoTipo = 0;
};

// The EAS side: an ERP on the Firebird server and the host tables on
// PostgreSQL (schema "eas"), with materials and invoice lines pending for
// the kitchen and the kitchen's events (consumptions, lot starts, ends and
// machine changes) posted in FTOHOST. The host refuses to mark events read
// while the campaign says so (a trigger).
class TCenarioEas {
public:
    TCenarioEas();

    QString Ini() const;
    // One step of the stream on the ERP (a material, an invoice) and on the
    // host (events); either side may be skipped while its server is frozen.
    void InsereNoErp(TSorteio& sorteio);
    void InsereNoHost(TSorteio& sorteio);
    void RecusaMarcas(bool recusa);
    // How many marks the kitchen has refused so far.
    int MarcasRecusadas() const;

    // Events unread, and ERP rows pending for the kitchen.
    int Pendentes() const;
    // "tipo|chave" -> count of what the host tables show as done.
    TContagem Feitos() const;
    TAchados Confere() const;

    int Consumos() const { return int(FConsumos.size()); }

private:
    struct TConsumo {
        QString Documento;
        QString Material;
        int QuartosDeKg;
    };
    struct TLinhaNota {
        QString Documento;
        QString Material;
        int Quantidade;
    };

    QString FErp;
    QString FHost;
    QStringList FMateriais;      // in the ERP, the consumptions' materials
    int FMateriaisNoErp = 0;
    QList<TConsumo> FConsumos;
    QList<TLinhaNota> FNotas;
    QStringList FLotes;          // EAS lots, in the ERP from the start
    int FEventosLote = 0;
    int FPassoErp = 0;
};

// The records of a monitor's journal: "chave" (Bruma, Vapora) or
// "tipo|chave" (EAS) -> count, of those with an outcome (not "pendente").
TContagem LeDiario(const QString& executavel, const QString& pasta, bool comTipo);

// Each key of `feitos` that the journal holds fewer times, less `perdoados`.
QStringList FaltamNoDiario(const TContagem& feitos, const TContagem& diario, const TContagem& perdoados);
