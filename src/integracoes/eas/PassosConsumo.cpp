// Passes 89 and 82: the kitchen's dye and chemical consumptions decrement
// the stock and add an exit movement.
#include "integracoes/eas/RecebimentoEas.h"
#include "base/Erros.h"

#include "dblayer/Localidade.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/EsperaConsumo.h"
#include "integracoes/eas/campos/CamposEntrada.h"

#include <QDate>

namespace {

QString AcaoConsumo(const QString& tipo, const QString& parte, const QString& identificacao)
{
    return QStringLiteral("Movimentos do FTOHOST (") + tipo + QStringLiteral(") (") + parte + QStringLiteral(") - ")
         + identificacao;
}

QString LinhaErroConsumo(const QString& tipo, const QString& parte, const QString& identificacao,
                         const QString& nrecno, const std::exception& erro)
{
    return QStringLiteral("ERRO na Gravação ") + AcaoConsumo(tipo, parte, identificacao)
         + QStringLiteral(" Nr. Reg no ") + tipo + QStringLiteral(" : ") + nrecno + QStringLiteral(" : ")
         + MensagemDoErro(erro);
}

} // namespace

void TRecebimentoEas::PassoConsumo(const QString& tipo)
{
    if (!Seleciona(tipo))
        return;
    TKoQuery& selecao = FHost.Selecao();
    EsperaAntesDosConsumos();
    const bool passo82 = tipo == QLatin1String("82");
    for (selecao.First(); !selecao.Eof(); selecao.Next()) {
        // A row of the other class is marked read without being applied.
        if (EhClasse82(FHost.Campo(14)) != passo82) {
            Marca(false, TDesfechoRegistro::Ignorado);
            continue;
        }
        switch (AplicaConsumo(tipo)) {
        case TAplicacao::Aplicada:
            // Only a movement written takes a number.
            ++FContador;
            Marca(false);
            break;
        case TAplicacao::JaAplicada:
        case TAplicacao::Recusada:
            Marca(false);
            break;
        case TAplicacao::Pendente:
            FHost.DeixaPendente();
            break;
        }
    }
}

// The decrement, the movement and the row's number are committed together:
// a consumption is booked whole or not at all, and once only.
TAplicacao TRecebimentoEas::AplicaConsumo(const QString& tipo)
{
    if (tipo == QLatin1String("82"))
        FDados.AdicionaLinha(QStringLiteral("Processando 82: ") + FHost.Datos());
    const std::optional<bool> jaAplicada = JaAplicada();
    if (!jaAplicada)
        return TAplicacao::Pendente;
    if (*jaAplicada)
        return TAplicacao::JaAplicada;
    const QString nrecno = FHost.NrRecno();
    const QString material = FHost.Campo(4);
    const QString documento = DocumentoHost(FHost.Campo(1));
    const QString identificacao = QStringLiteral("Material: ") + material + QStringLiteral(" Partida ") + documento;
    try {
        FCusto.Close();
        FCusto.ParamByName(QStringLiteral("CODIGO")).SetAsString(material);
        FCusto.Open();
        const bool temCusto = !FCusto.Eof();
        const double custo = temCusto ? FCusto.FieldByName(QStringLiteral("PRECO_MED")).AsFloat() : 0.0;
        const double preco = temCusto ? FCusto.FieldByName(QStringLiteral("PRECO")).AsFloat() : 0.0;
        const QString grupo = temCusto ? FCusto.FieldByName(QStringLiteral("GRUPO")).AsString() : QString();

        const QChar separador = Localidade::SeparadorDecimal();
        double quantidade = QuantidadeHost(FHost.Campo(7), separador);
        if (quantidade == 0)
            quantidade = QuantidadeHost(FHost.Campo(11), separador);

        FMovimento.ParamByName(QStringLiteral("CODIGO")).SetAsString(material);
        FMovimento.ParamByName(QStringLiteral("COR")).SetAsString(QStringLiteral("0"));
        FMovimento.ParamByName(QStringLiteral("QTDE")).SetAsFloat(quantidade);
        FMovimento.ParamByName(QStringLiteral("CUSTO")).SetAsFloat(custo);
        FMovimento.ParamByName(QStringLiteral("DEPOSITO")).SetAsString(FDeposito);
        FMovimento.ParamByName(QStringLiteral("GRUPO")).SetAsString(grupo);
        FMovimento.ParamByName(QStringLiteral("OPERACAO")).SetAsString(QStringLiteral("S"));
        FMovimento.ParamByName(QStringLiteral("PRECO")).SetAsFloat(preco);
        FMovimento.ParamByName(QStringLiteral("LOTE")).SetAsString(QStringLiteral("000000"));
        FMovimento.ParamByName(QStringLiteral("DESCRICAO")).SetAsString(QStringLiteral("EAS"));
        FMovimento.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(FContador);
        FMovimento.ParamByName(QStringLiteral("NUM_DOCTO")).SetAsString(documento);
        FMovimento.ParamByName(QStringLiteral("DT_MOVTO")).SetAsDate(QDate::currentDate());
        FMovimento.ParamByName(QStringLiteral("MAQUINA")).SetAsString(QString());

        FBaixa.ParamByName(QStringLiteral("QTD")).SetAsFloat(quantidade);
        FBaixa.ParamByName(QStringLiteral("CODIGO")).SetAsString(material);
        FBaixa.ParamByName(QStringLiteral("COR")).SetAsString(QStringLiteral("0"));
        FBaixa.ParamByName(QStringLiteral("LOTE")).SetAsString(QStringLiteral("000000"));
        FBaixa.ParamByName(QStringLiteral("DEPOSITO")).SetAsString(FDeposito);
    } catch (const std::exception& erro) {
        // A quantity that is not a number or a failing cost lookup: nothing
        // was written, and the row stays unread for the next cycle, so a
        // passing ERP error does not drop the consumption.
        FDados.AdicionaLinha(QStringLiteral("ERRO na preparação ") + AcaoConsumo(tipo, QStringLiteral("Item"), identificacao)
                             + QStringLiteral(" Nr. Reg no ") + tipo + QStringLiteral(" : ") + nrecno
                             + QStringLiteral(" : ") + MensagemDoErro(erro)
                             + QStringLiteral(" (o registro fica para o próximo ciclo)"));
        FDados.ContaFalha();
        ConfereConexoes();
        return TAplicacao::Pendente;
    }
    // A failure undoes the row's statements and leaves the row unread: an
    // ERP that is out drops no consumption.
    QString parte = QStringLiteral("Item");
    try {
        FBaixa.TryExecSQL();
        parte = QStringLiteral("Movimento");
        FMovimento.TryExecSQL();
        ConfirmaAplicacao();
    } catch (const std::exception& erro) {
        DesfazPendentes({&FDados.KoDatabase1});
        FDados.AdicionaLinha(LinhaErroConsumo(tipo, parte, identificacao, nrecno, erro));
        FDados.ContaFalha();
        ConfereConexoes();
        return TAplicacao::Pendente;
    }
    FDados.AdicionaLinha(QStringLiteral("Grava ") + AcaoConsumo(tipo, QStringLiteral("Item"), identificacao));
    FDados.AdicionaLinha(QStringLiteral("Grava ") + AcaoConsumo(tipo, QStringLiteral("Movimento"), identificacao));
    return TAplicacao::Aplicada;
}
