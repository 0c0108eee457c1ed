#include "integracoes/eas/TabelasHost.h"

#include "base/Erros.h"
#include "base/Apara.h"
#include "integracoes/eas/DadosEas.h"
#include "integracao/ConteudoRegistro.h"
#include "integracoes/eas/campos/CamposHost.h"

#include <QDateTime>

QString NomeTabelaHost(const QString& sSchema, const QString& tabela)
{
    if (Apara(sSchema).isEmpty())
        return tabela;
    return sSchema + u'.' + tabela;
}

namespace {

// The name equals the capitals `alvo` with its ASCII letters in either case
// (compared in place: this runs for every column of every record).
bool MesmoNomeAscii(const QString& nome, QLatin1StringView alvo)
{
    if (nome.size() != alvo.size())
        return false;
    for (qsizetype i = 0; i < nome.size(); ++i) {
        char16_t c = nome[i].unicode();
        if (c >= u'a' && c <= u'z')
            c = char16_t(c - u'a' + u'A');
        if (c != alvo[i].unicode())
            return false;
    }
    return true;
}

} // namespace

QString MontaRegistroHost(TKoQuery& consulta)
{
    // Column names compared in capitals: servers that fold unquoted names
    // to lower case must not change the layout the kitchen reads.
    QString registro;
    for (int i = 0; i < consulta.FieldCount(); ++i) {
        TKoField& campo = consulta.Fields(i);
        const QString& nome = campo.FieldName();
        if (MesmoNomeAscii(nome, QLatin1StringView("NR_SEQUENCIA")))
            registro += QString::number(consulta.RecNo()) + u'|';
        else if (MesmoNomeAscii(nome, QLatin1StringView("OBS")))
            registro += AjustaObs(Apara(campo.AsString()), registro.size());
        else
            registro += Apara(campo.AsString()) + u'|';
    }
    return registro;
}

TGravacaoHost::TGravacaoHost(TDadosEas& dados) : FDados(dados)
{
    FInsere.SetDatabase(&FDados.KoDatabase2);
    FInsere.SQL.Add(QStringLiteral("INSERT INTO ") + NomeTabelaHost(FDados.sSchema, QStringLiteral("FFROMHOST")));
    FInsere.SQL.Add(QStringLiteral("(IDTIPO, IDOPERACION, DATOS, FECHA, LEIDO)"));
    FInsere.SQL.Add(QStringLiteral("VALUES"));
    FInsere.SQL.Add(QStringLiteral("(:IDTIPO, :IDOPERACION, :DATOS, :FECHA, :LEIDO)"));
}

bool TGravacaoHost::GravaNoHost(const QString& tipo, const QString& operacao, const QString& registro,
                                bool confirma)
{
    TKoDatabase& host = FDados.KoDatabase2;
    if (!host.Connected()) {
        // Each record that fails says why, here and in the journal.
        FDados.AdicionaLinha(QStringLiteral("Falha no envio para EAS (") + tipo + QStringLiteral(") - ") + registro
                             + QStringLiteral(". Erro: KoDatabase2 (banco do EAS) não está conectado."));
        if (confirma)
            FDados.Registra(TDirecaoRegistro::Saida, tipo, CampoHost(registro, 1), TDesfechoRegistro::Falhou);
        return false;
    }
    try {
        FInsere.ParamByName(QStringLiteral("IDTIPO")).SetAsString(tipo);
        FInsere.ParamByName(QStringLiteral("IDOPERACION")).SetAsString(operacao);
        FInsere.ParamByName(QStringLiteral("DATOS")).SetAsString(registro);
        // A moment, not regional text the server might read month first.
        FInsere.ParamByName(QStringLiteral("FECHA")).SetAsDateTime(QDateTime::currentDateTime());
        FInsere.ParamByName(QStringLiteral("LEIDO")).SetAsString(QStringLiteral("F"));
        try {
            FInsere.TryExecSQL();
        } catch (...) {
            AnotaEnvio();
            throw;
        }
        AnotaEnvio();
        if (confirma)
            host.CommitRetaining();
    } catch (const std::exception& erro) {
        DesfazPendentes({&host});
        FDados.AdicionaLinha(QStringLiteral("Falha no envio para EAS (") + tipo + QStringLiteral(") - ") + registro
                             + QStringLiteral(". Erro: ") + MensagemDoErro(erro));
        if (confirma)
            FDados.Registra(TDirecaoRegistro::Saida, tipo, CampoHost(registro, 1), TDesfechoRegistro::Falhou);
        return false;
    }
    FDados.AdicionaLinha(QStringLiteral("Sucesso no envio para EAS (") + tipo + QStringLiteral(") - ") + registro);
    // A record sent with others (a lot's items) is the lot's to report.
    if (confirma)
        FDados.Registra(TDirecaoRegistro::Saida, tipo, CampoHost(registro, 1), TDesfechoRegistro::Enviado);
    return true;
}

// The row the insert was given, once it ran (taken or refused), joins what
// the next record reports: the journal keeps what the host got.
void TGravacaoHost::AnotaEnvio()
{
    const QString linha = ConteudoDosValores(FInsere.ValoresEnviados());
    if (linha.isEmpty())
        return;
    if (!FDados.ConteudoEnviado.isEmpty())
        FDados.ConteudoEnviado += QStringLiteral("\n\n");
    FDados.ConteudoEnviado += linha;
}

TLeituraHost::TLeituraHost(TDadosEas& dados) : FDados(dados)
{
    FDados.SelecaoRecebida = &FSelecao;
    const QString ftohost = NomeTabelaHost(FDados.sSchema, QStringLiteral("FTOHOST"));
    FSelecao.SetDatabase(&FDados.KoDatabase2);
    FSelecao.SQL.Add(QStringLiteral("SELECT NRECNO, IDTIPO, IDOPERACION, DATOS FROM ") + ftohost);
    FSelecao.SQL.Add(QStringLiteral("WHERE LEIDO = 'F'"));
    FSelecao.SQL.Add(QStringLiteral("AND IDTIPO = :IDTIPO"));

    FMarca.SetDatabase(&FDados.KoDatabase2);
    FMarca.SQL.Add(QStringLiteral("UPDATE ") + ftohost + QStringLiteral(" SET"));
    FMarca.SQL.Add(QStringLiteral("LEIDO = 'T'"));
    FMarca.SQL.Add(QStringLiteral("WHERE NRECNO = :NRECNO"));
}

TLeituraHost::~TLeituraHost()
{
    if (FDados.SelecaoRecebida == &FSelecao)
        FDados.SelecaoRecebida = nullptr;
}

TKoQuery& TLeituraHost::Seleciona(const QString& tipo)
{
    if (FSelecao.Active())
        FSelecao.Close();
    FSelecao.ParamByName(QStringLiteral("IDTIPO")).SetAsString(tipo);
    // Open reads every row at once: the pass works on the rows there were.
    FSelecao.Open();
    FSelecao.First();
    FDados.IniciaRegistros();
    return FSelecao;
}

QString TLeituraHost::Datos()
{
    return FSelecao.FieldByName(QStringLiteral("DATOS")).AsString();
}

QString TLeituraHost::Campo(int n)
{
    return CampoHost(Datos(), n);
}

void TLeituraHost::DeixaPendente()
{
    FDados.Registra(TDirecaoRegistro::Entrada, Tipo(), NrRecno(), TDesfechoRegistro::Pendente);
}

QString TLeituraHost::NrRecno()
{
    return FSelecao.FieldByName(QStringLiteral("NRECNO")).AsString();
}

qint64 TLeituraHost::NumeroRecno()
{
    return FSelecao.FieldByName(QStringLiteral("NRECNO")).AsInteger();
}

QString TLeituraHost::Tipo()
{
    return FSelecao.FieldByName(QStringLiteral("IDTIPO")).AsString();
}

bool TLeituraHost::MarcaLidoHost(bool comRegistro, std::optional<TDesfechoRegistro> desfecho)
{
    const QString tipo = Tipo();
    const QString nrecno = NrRecno();
    try {
        FMarca.ParamByName(QStringLiteral("NRECNO")).SetAsInteger(NumeroRecno());
        FMarca.TryExecSQL();
        FDados.KoDatabase2.CommitRetaining();
    } catch (const std::exception& erro) {
        DesfazPendentes({&FDados.KoDatabase2});
        FDados.ContaFalha();
        QString linha = QStringLiteral("ERRO na Gravação Lido no FTOHOST (") + tipo + QStringLiteral(") - ") + nrecno
                      + QStringLiteral(" : ") + MensagemDoErro(erro);
        if (comRegistro)
            linha += QStringLiteral(" Informação do Registro:") + Datos();
        FDados.AdicionaLinha(linha);
        FDados.Registra(TDirecaoRegistro::Entrada, tipo, nrecno, TDesfechoRegistro::Falhou);
        return false;
    }
    FDados.AdicionaLinha(QStringLiteral("Grava Lido no FTOHOST (") + tipo + QStringLiteral(") - ") + nrecno);
    FDados.Registra(TDirecaoRegistro::Entrada, tipo, nrecno, desfecho);
    return true;
}
