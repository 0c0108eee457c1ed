#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <random>

// The faults of a campaign and when they come, drawn from a seed alone: the
// same seed and length give the same plan, so a run that failed is run
// again as it was.
enum class TTipoFalha {
    Kill9,                 // kill -9 of a monitor (Alvo), started again after Duracao
    CongelaFirebird,       // SIGSTOP of the Firebird server (the three ERPs)
    CongelaPostgres,       // SIGSTOP of PostgreSQL (Bruma's queue through ODBC, the EAS host natively)
    ServicoRecusa,         // the SOAP service is down: connections refused
    ServicoMudo,           // the SOAP service takes calls and never answers
    ServicoCortada,        // a 200 cut halfway through its body (with Content-Length)
    ServicoCortadaSemTamanho,  // the same without Content-Length
    Servico400,            // a bare 400 for the calls of one operation (Alvo)
    ServicoHtmlDescricao,  // an HTML page at the descriptions, met by a restarted monitor
    HostRecusaMarcas,      // the EAS host refuses to mark its events read
    LogsCheio,             // Logs/ of a monitor (Alvo) full
};
constexpr int TiposDeFalha = 11;

struct TFalha {
    int InicioMs = 0;   // since the campaign's start
    int DuracaoMs = 0;
    TTipoFalha Tipo = TTipoFalha::Kill9;
    int Alvo = 0;       // a monitor (0 Bruma, 1 Vapora, 2 EAS) or an operation of the service
    int FimMs() const { return InicioMs + DuracaoMs; }
};

QString NomeFalha(TTipoFalha tipo);
QString DescreveFalha(const TFalha& falha);

// The operations of the nine services the monitor calls, as "Servico.operacao".
const QStringList& OperacoesSoap();

// The plan of a campaign of `duracaoMs`: faults one after another, never
// two at once, so that each line belongs to one fault. The first ones take
// every kind once, in an order drawn from the seed (a short run meets them
// all); the rest are drawn at random. Freezes past the servers' call limits
// come only in runs of ten minutes or more.
QList<TFalha> PlanoFalhas(std::uint64_t semente, int duracaoMs);

// A generator whose draws depend on the seed alone (the library's
// distributions differ between implementations; these do not).
class TSorteio {
public:
    explicit TSorteio(std::uint64_t semente) : FGerador(semente) {}
    // An integer from `de` to `ate`, both included.
    int Entre(int de, int ate) { return de + int(FGerador() % std::uint64_t(ate - de + 1)); }
    bool Chance(int porCento) { return Entre(1, 100) <= porCento; }

private:
    std::mt19937_64 FGerador;
};
