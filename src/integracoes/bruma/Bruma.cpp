#include "integracoes/bruma/Bruma.h"

#include "integracao/AbreConexao.h"
#include "integracao/ConexaoDaSecao.h"
#include "integracao/Configuracao.h"
#include "integracao/ConteudoRegistro.h"
#include "base/Apara.h"
#include "base/Erros.h"
#include "integracao/Relator.h"
#include "integracoes/bruma/LinhaOB.h"
#include "integracoes/bruma/NumeroOB.h"

namespace {

const QString PrefixoOdbc =
    QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=");

} // namespace

TBruma::TBruma(TContextoIntegracao& contexto)
    : FContexto(contexto), FRelator(contexto.Relator), FDados(contexto.KoDatabase1)
{
}

// [Banco2] names an ODBC data source; the protocol only decides the SQL
// dialect of the statements.
void TBruma::ConectaBanco2()
{
    const QString secao = QStringLiteral("Banco2");
    const TConfiguracao& ini = FContexto.Configuracao;
    if (const auto erro = FBanco2.Conecta(ini, secao, PrefixoOdbc + ini.LerIni(secao, QStringLiteral("Base")))) {
        FRelator.AdicionaLinha(LinhaConexaoNaoAberta(FDados.KoDatabase2, ini, secao, *erro));
        FRelator.MostraMensagem(*erro);
    }
}

QList<TKoDatabase*> TBruma::Conexoes() { return FBanco2.Conexoes(); }

void TBruma::Encerra()
{
    FDados.KoQuery2.Close();
    FBanco2.Encerra();
}

void TBruma::ConsultaLotesBruma()
{
    TKoQuery& lotes = FDados.KoQuery1;
    lotes.DefineLinhas({QStringLiteral("SELECT FAL.NUMERO, SUM(FAL_ITEN.ROLO) AS PECAS, SUM(FAL_ITEN.PESO) AS PESO, "),
                        QStringLiteral("FAL.MAQUINA, ENTIDADE.NOME, FAL.COR, CADCORTIN.COR_SIS, GRAFICO.TEMPO "),
                        QStringLiteral("FROM FAL_001 FAL "),
                        QStringLiteral("INNER JOIN FAL_ITEN_001 FAL_ITEN ON (FAL.NUMERO = FAL_ITEN.FAL)"),
                        QStringLiteral("LEFT OUTER JOIN ENTIDADE_001 ENTIDADE ON (FAL.CLIENTE = ENTIDADE.CODCLI)"),
                        QStringLiteral("LEFT OUTER JOIN CADCORTIN_001 CADCORTIN ON (FAL.COR = CADCORTIN.CODIGO)"),
                        QStringLiteral("LEFT OUTER JOIN RECEITA_001 RECEITA ON (FAL.COR = RECEITA.COR AND FAL.VARIANTE = RECEITA.VARIANTE)"),
                        QStringLiteral("LEFT OUTER JOIN GRAFICO_001 GRAFICO ON (RECEITA.GRAFICO = GRAFICO.CODIGO)"),
                        QStringLiteral("WHERE FAL.STATUS_QX IS NULL OR FAL.STATUS_QX = ''"),
                        QStringLiteral("GROUP BY FAL.NUMERO, FAL.MAQUINA, ENTIDADE.NOME, FAL.COR, CADCORTIN.COR_SIS, GRAFICO.TEMPO ")});
    lotes.Open();

    // Proves the queue table exists and answers before any lot is touched.
    // The condition that no row meets keeps its rows where they are: an
    // ODBC driver that fetches a whole result on execution (SQLite's) would
    // otherwise read the entire queue, finished lots and all, every cycle.
    TKoQuery& fila = FDados.KoQuery2;
    fila.DefineLinhas({QStringLiteral("SELECT * FROM OB WHERE 1 = 0")});
    fila.Open();
}

void TBruma::EnviaLotesBruma()
{
    TKoQuery& lotes = FDados.KoQuery1;
    lotes.First();
    while (!lotes.Eof()) {
        EnviaLote();
        // A server gone away fails every lot after it the same way: they
        // wait for the next cycle, which opens the connection again.
        if (FDados.KoDatabase1.Perdida() || FDados.KoDatabase2.Perdida()) {
            FRelator.AdicionaLinha(
                QStringLiteral("Conexão perdida: os lotes restantes ficam para o próximo ciclo."));
            return;
        }
        lotes.Next();
    }
}

// One lot; a failure is contained to it: both sides are rolled back, the
// failure and its cause are logged, and the pass goes on with the next lot
// (the lot stays pending for the next cycle).
void TBruma::EnviaLote()
{
    const QString numeroLote = FDados.KoQuery1.FieldByName(QStringLiteral("NUMERO")).AsString();
    const QString nrOB = NumeroOB(numeroLote);
    FConteudoLote.clear();
    QString erro;
    try {
        EnviaLoteNaFila(numeroLote, nrOB);
        return;
    } catch (const std::exception& e) {
        erro = MensagemDoErro(e);
    }
    DesfazPendentes({&FDados.KoDatabase2, &FDados.KoDatabase1});
    FRelator.AdicionaLinha(QStringLiteral("Erro. Execução de envio mal sucedida na FAL ") + nrOB);
    FRelator.AdicionaLinha(QStringLiteral("Erro: ") + erro);
    ++FContexto.FalhasNoCiclo;
    RegistraLote(numeroLote, TDesfechoRegistro::Falhou, erro);
}

void TBruma::RegistraLote(const QString& numeroLote, TDesfechoRegistro desfecho, const QString& erro)
{
    FRelator.RegistraRegistro(
        {TDirecaoRegistro::Saida, QStringLiteral("lote"), Apara(numeroLote), desfecho, erro, FConteudoLote});
}

void TBruma::EnviaLoteNaFila(const QString& numeroLote, const QString& nrOB)
{
    TKoQuery& lote = FDados.KoQuery1;
    const QString maquina = lote.FieldByName(QStringLiteral("MAQUINA")).AsString();
    if (Apara(maquina).isEmpty())
        return;
    if (EmAndamentoNaMaquina(nrOB)) {
        FRelator.AdicionaLinha(QStringLiteral("FAL ") + nrOB
                               + QStringLiteral(" já assumida pela máquina; não foi reenviada."));
        RegistraLote(numeroLote, TDesfechoRegistro::Ignorado, QStringLiteral("já assumida pela máquina"));
        return;
    }

    const QString cor = lote.FieldByName(QStringLiteral("COR")).AsString();
    TEncadeamento encadeamento;
    if (!LeEncadeamento(cor, encadeamento)) {
        FRelator.AdicionaLinha(QStringLiteral("Erro. Programa não cadastrado na máquina para Cor ") + cor
                               + QStringLiteral(" na FAL ") + nrOB);
        ++FContexto.FalhasNoCiclo;
        RegistraLote(numeroLote, TDesfechoRegistro::Falhou, QStringLiteral("programa não cadastrado para a cor ") + cor);
        return;
    }

    // Counted once: a second reading a moment later would not protect the
    // position (the delete and the insert below are separate statements
    // anyway), and over a long queue it doubled the cost of every lot.
    const int posicao = LePosicao(maquina);

    // The row is built (and a bad colour value or programme time found)
    // before the old row is deleted, so no message box waits while the
    // machine side's row is locked.
    const TLinhaOB linha = MontaLinhaOB(lote, encadeamento, posicao, FRelator);
    SubstituiNaFila(linha);
    MarcaEnviadoNoErp(numeroLote);

    FDados.KoDatabase2.CommitRetaining();
    FDados.KoDatabase1.CommitRetaining();
    FRelator.AdicionaLinha(QStringLiteral("Concluído. FAL ") + nrOB
                           + QStringLiteral(" enviada para máquina com sucesso para Posição ")
                           + QString::number(posicao) + QStringLiteral("."));
    RegistraLote(numeroLote, TDesfechoRegistro::Enviado);
}

bool TBruma::EmAndamentoNaMaquina(const QString& nrOB)
{
    TKoQuery& consulta = FDados.KoQuery2;
    consulta.DefineLinhas({QStringLiteral("SELECT * FROM OB "),
                           QStringLiteral("WHERE NUMEROOB = :NUMEROOB"),
                           QStringLiteral("AND STATUSTERMINO <> '0'")});
    consulta.ParamByName(QStringLiteral("NUMEROOB")).SetAsString(nrOB);
    consulta.Open();
    return !consulta.Eof();
}

bool TBruma::LeEncadeamento(const QString& cor, TEncadeamento& encadeamento)
{
    TKoQuery& consulta = FDados.KoQuery2;
    consulta.DefineLinhas({QStringLiteral("SELECT * FROM ENCADEAMENTO "),
                           QStringLiteral("WHERE NOME = :NOME")});
    consulta.ParamByName(QStringLiteral("NOME")).SetAsString(cor);
    consulta.Open();
    if (consulta.Eof())
        return false;
    for (int i = 0; i < 5; ++i)
        encadeamento.Receitas[size_t(i)] = consulta.FieldByName(QStringLiteral("RECEITA%1").arg(i + 1)).AsString();
    return true;
}

int TBruma::LePosicao(const QString& maquina)
{
    TKoQuery& consulta = FDados.KoQuery2;
    consulta.DefineLinhas({QStringLiteral("SELECT COUNT(*) AS POSICAO FROM OB "),
                           QStringLiteral("WHERE MAQUINA = :MAQUINA")});
    consulta.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
    consulta.Open();
    return int(consulta.FieldByName(QStringLiteral("POSICAO")).AsInteger()) + 1;
}

void TBruma::SubstituiNaFila(const TLinhaOB& linha)
{
    TKoQuery& comando = FDados.QryExec2;
    comando.DefineLinhas({QStringLiteral("DELETE FROM OB WHERE NUMEROOB = :NUMEROOB")});
    comando.ParamByName(QStringLiteral("NUMEROOB")).SetAsString(linha.NumeroOB);
    comando.TryExecSQL();

    comando.DefineLinhas({});
    AdicionaInsertOB(comando.SQL);
    DefineParametrosOB(comando, linha);
    // Read back from the statement once it ran, refused or not: what the
    // machine side was given is what the journal keeps.
    try {
        comando.ExecSQL();
    } catch (...) {
        FConteudoLote = ConteudoDosValores(comando.ValoresEnviados());
        throw;
    }
    FConteudoLote = ConteudoDosValores(comando.ValoresEnviados());
}

void TBruma::MarcaEnviadoNoErp(const QString& numeroLote)
{
    // The lot is keyed by its number as the ERP delivered it: the padded
    // queue number only matches on servers that ignore trailing blanks.
    TKoQuery& comando = FDados.QryExec1;
    comando.DefineLinhas({QStringLiteral("UPDATE FAL_001 SET STATUS_QX = 'E'"),
                          QStringLiteral("WHERE NUMERO  = :NUMERO")});
    comando.ParamByName(QStringLiteral("NUMERO")).SetAsString(numeroLote);
    comando.TryExecSQL();
}
