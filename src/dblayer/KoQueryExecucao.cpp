// The three entry points of the query component and the translation step
// that runs before each of them reaches the server.
#include "base/TextoAscii.h"
#include "dblayer/AdaptadorConexao.h"
#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/Maquina.h"
#include "dblayer/ListaColunasConexao.h"
#include "dblayer/ObservadorComandos.h"

#include <QThread>

namespace {

const QString kPrefixoOpen = QStringLiteral("Erro KoQuery.Open: ");

bool EhRetentavel(const QString& mensagem)
{
    const QString m = MaiusculasAscii(mensagem);
    return m.contains(QLatin1String("TIMEOUT EXPIRED")) || m.contains(QLatin1String("DEADLOCK"));
}

// Writes the failure line of a statement and gives the message to raise: the
// statement's own, followed by the log's failure when the line could not be
// written (callers look for TIMEOUT EXPIRED and DEADLOCK in the first part).
QString GravaFalhaNoLog(const QString& nmUsuario, const QString& linha, const QString& mensagem)
{
    try {
        GravaLinhaLog(NomeMaquina(), IPLocal(), nmUsuario, linha);
        return mensagem;
    } catch (const EInOutError& e) {
        return mensagem + QStringLiteral("\r\n") + e.Message();
    }
}

} // namespace

bool TKoQuery::EhConsulta(const QString& texto)
{
    const QString inicio = MaiusculasAscii(texto.left(6));
    return inicio != QLatin1String("UPDATE") && inicio != QLatin1String("INSERT")
        && inicio != QLatin1String("DELETE");
}

void TKoQuery::ConverteSQL()
{
    TKoDatabase& banco = Banco();
    const auto colunas = [&banco](const QString& tabela) {
        return ListaColunasPelaConexao(banco.Conexao(), tabela);
    };
    const QString texto = SQL.Text();
    const QString traduzido = ::ConverteSQL(texto, banco.DriverName(), FCache, colunas);
    // Run again unchanged (a prepared statement with new values, or a text
    // the dialect leaves as it is), the lines need not be rebuilt.
    if (traduzido != texto) {
        SQL.SetText(traduzido);
        FTextoEnviado = SQL.Text();
    } else {
        FTextoEnviado = texto;
    }
    if (HaObservadorComandos())
        AvisaObservador();
    if (banco.GravaLog() && banco.DadosGravaLog())
        GravaLinhaLog(banco.DadosGravaLog()->NmMaquina, banco.DadosGravaLog()->NrIP,
                      banco.NmUsuario, FTextoEnviado);
}

void TKoQuery::AvisaObservador() const
{
    TComandoEnviado comando{FDatabase->objectName(), FDatabase->DriverName(), FCache.FSQLOriginal, FTextoEnviado, {}};
    for (const auto& [nome, parametro] : FParams)
        comando.Parametros.emplace_back(nome, parametro.Value());
    AvisaComandoEnviado(comando);
}

void TKoQuery::Open(int maximoLinhas)
{
    try {
        if (EhConsulta(SQL.Text())) {
            ConverteSQL();
            AbreCursorNoServidor(LimiteMs(), maximoLinhas);
        } else {
            ExecSQL();
        }
    } catch (const Exception& e) {
        if (EhPostgres() && FDatabase->InTransaction()) {
            try {
                FDatabase->RollbackRetaining();
            } catch (const Exception&) {
                try {
                    FDatabase->RollbackRetaining();
                } catch (const Exception&) {
                }
            }
        }
        throw EDatabaseError(kPrefixoOpen + e.Message());
    }
}

void TKoQuery::ExecSQL()
{
    ConverteSQL();
    const int limite = LimiteMs();
    try {
        ExecutaNoServidor(limite);
    } catch (const Exception& e) {
        if (EhPostgres()) {
            try {
                FDatabase->RollbackRetaining();
            } catch (const Exception&) {
            }
        }
        const QString texto = SQL.Text();
        QString mensagem = e.Message();
        if (MaiusculasAscii(mensagem).contains(QLatin1String("TIMEOUT EXPIRED")))
            mensagem = QStringLiteral("ERRO PROVÁVEL DE DEADLOCK :\r\r") + texto;
        throw EDatabaseError(GravaFalhaNoLog(FDatabase ? FDatabase->NmUsuario : QString(),
                                           QStringLiteral("ExecSQL (") + e.Message() + QStringLiteral("): ")
                                               + texto,
                                           mensagem));
    }
}

void TKoQuery::TentaUmaVez(int limiteMs)
{
    TKoDatabase& banco = Banco();
    banco.GaranteTransacao();
    QSqlDatabase conexao = banco.Conexao();
    TAdaptadorConexao& adaptador = banco.Adaptador();
    adaptador.MarcaTentativa(conexao);
    try {
        ExecutaNoServidor(limiteMs);
    } catch (const Exception&) {
        try {
            adaptador.DesfazTentativa(conexao);
        } catch (const Exception&) {
        }
        throw;
    }
    adaptador.ConfirmaTentativa(conexao);
}

void TKoQuery::TryExecSQL()
{
    ConverteSQL();
    const int limite = LimiteMs();
    constexpr int kRetentativas = 3;
    int tentativa = 0;
    while (tentativa <= kRetentativas) {
        if (tentativa > 0)
            QThread::msleep(LimitesExecucao().EsperaEntreTentativasMs);
        try {
            TentaUmaVez(limite);
            return;
        } catch (const Exception& e) {
            ++tentativa;
            // A lost connection will not come back by waiting for it.
            if (EhRetentavel(e.Message()) && tentativa <= kRetentativas && !Banco().Perdida())
                continue;
            throw EDatabaseError(GravaFalhaNoLog(FDatabase ? FDatabase->NmUsuario : QString(),
                                               QStringLiteral("TryExecSQL (Tentativa: %1) (").arg(tentativa)
                                                   + e.Message() + QStringLiteral("): ") + SQL.Text(),
                                               e.Message()));
        }
    }
}
