// What passes 80, 81 and 92 share: each row names a lot in field 1, is
// ignored when that lot is 0 (and, for 80 and 81, when field 2 is blank),
// is applied inside its own guard and committed, and is marked read.
#include "integracoes/eas/RecebimentoEas.h"
#include "base/Erros.h"

#include "base/Apara.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/LinhasRecebimento.h"
#include "integracoes/eas/campos/CamposEntrada.h"

void TRecebimentoEas::PassoDeLote(const TPassoDeLote& passo)
{
    if (!Seleciona(passo.Tipo))
        return;
    TKoQuery& selecao = FHost.Selecao();
    for (selecao.First(); !selecao.Eof(); selecao.Next()) {
        const QString campo1 = FHost.Campo(1);
        const QString datos = FHost.Datos();
        FDados.AdicionaLinha(LinhaLendo(passo.Tipo, campo1, datos));
        const qint64 numero = NumeroFalHost(campo1);
        if (numero == 0 || (passo.ExigeCampo2 && Apara(FHost.Campo(2)).isEmpty())) {
            FDados.AdicionaLinha(LinhaIgnorado(passo.Tipo, datos));
            FHost.MarcaLidoHost(passo.RegistroNoErro, TRegistroTratado::Ignorado);
        } else if (AplicaNoLote(passo, QString::number(numero), FHost.Campo(passo.CampoMaquina))) {
            FHost.MarcaLidoHost(passo.RegistroNoErro);
        } else {
            FHost.DeixaPendente();
        }
    }
}

// Whatever fails, a field that does not convert included, undoes this row's
// statements and is reported with the row's error line.
bool TRecebimentoEas::AplicaNoLote(const TPassoDeLote& passo, const QString& fal, const QString& maquina)
{
    const QString descricao = QStringLiteral("Movimentos do FTOHOST (") + passo.Tipo + QStringLiteral(") - FAL: ") + fal
                            + QStringLiteral(" MAQUINA ") + maquina;
    try {
        passo.Aplica(fal, maquina);
        FDados.KoDatabase1.CommitRetaining();
    } catch (const ERegistroAdiado& erro) {
        DesfazPendentes({&FDados.KoDatabase1});
        FDados.AdicionaLinha(QStringLiteral("ERRO na preparação ") + descricao + QStringLiteral(" Nr. Reg no ")
                             + passo.Tipo + QStringLiteral(" : ") + FHost.NrRecno() + QStringLiteral(" : ")
                             + erro.Message() + QStringLiteral(" (o registro fica para o próximo ciclo)"));
        FDados.ContaFalha();
        return false;
    } catch (const std::exception& erro) {
        DesfazPendentes({&FDados.KoDatabase1});
        QString linha = QStringLiteral("ERRO na Gravação ") + descricao + QStringLiteral(" Nr. Reg no ") + passo.Tipo
                      + QStringLiteral(" : ") + FHost.NrRecno() + QStringLiteral(" : ") + MensagemDoErro(erro);
        if (passo.RegistroNoErro)
            linha += QStringLiteral("Informação do Registro:") + FHost.Datos();
        FDados.AdicionaLinha(linha);
        FDados.ContaFalha();
        return true;
    }
    FDados.AdicionaLinha(QStringLiteral("Grava ") + descricao);
    return true;
}
