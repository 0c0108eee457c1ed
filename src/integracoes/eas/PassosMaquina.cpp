// Passes 92 and 95: a lot moved to another machine, and a lot given a queue
// position and machine, update the lot and its machine programme. Both
// updates of a row stand or fall together.
#include "integracoes/eas/RecebimentoEas.h"
#include "base/Erros.h"

#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/LinhasRecebimento.h"
#include "integracoes/eas/campos/CamposEntrada.h"

void TRecebimentoEas::Passo92()
{
    PassoDeLote({QStringLiteral("92"), 3, false, true, [this](const QString& fal, const QString& maquina) {
                     FMaquinaFal.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
                     FMaquinaFal.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
                     FMaquinaFal.TryExecSQL();
                     FMaquinaProg.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
                     FMaquinaProg.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
                     FMaquinaProg.TryExecSQL();
                 }});
}

// A row that is ignored or fails is not marked read: it is read again in
// every cycle until it applies.
void TRecebimentoEas::Passo95()
{
    if (!Seleciona(QStringLiteral("95")))
        return;
    TKoQuery& selecao = FHost.Selecao();
    for (selecao.First(); !selecao.Eof(); selecao.Next()) {
        const QString datos = FHost.Datos();
        const QString fal = FHost.Campo(2);
        const QString posicao = FHost.Campo(5);
        const QString maquina = MaquinaHost(FHost.Campo(1));
        FDados.AdicionaLinha(LinhaLendo(QStringLiteral("95"), fal, datos));
        if (fal.isEmpty() || fal == QLatin1String("0") || fal.contains(u'X')) {
            FDados.AdicionaLinha(LinhaIgnorado(QStringLiteral("95"), datos));
            FDados.Registra(TDirecaoRegistro::Entrada, QStringLiteral("95"), FHost.NrRecno(), TDesfechoRegistro::Ignorado);
            continue;
        }
        const std::optional<bool> jaAplicada = JaAplicada();
        if (!jaAplicada)
            continue;
        if (*jaAplicada) {
            Marca(true);
            continue;
        }
        const QString descricao = QStringLiteral(" - FAL: ") + fal + QStringLiteral(" ORDEM ") + posicao
                                + QStringLiteral("MAQUINA ") + maquina;
        try {
            FPosicaoFal.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
            FPosicaoFal.ParamByName(QStringLiteral("ORDEM")).SetAsString(posicao);
            FPosicaoFal.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
            FPosicaoFal.TryExecSQL();
            FMaquinaProg.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
            FMaquinaProg.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
            FMaquinaProg.TryExecSQL();
            ConfirmaAplicacao();
        } catch (const std::exception& erro) {
            DesfazPendentes({&FDados.KoDatabase1});
            FDados.ContaFalha();
            FDados.AdicionaLinha(QStringLiteral("ERRO na Gravação Movimentos do FTOHOST (95)") + descricao
                                 + QStringLiteral(" Nr. Reg no 95 : ") + FHost.NrRecno() + QStringLiteral(" : ")
                                 + MensagemDoErro(erro) + QStringLiteral("Informação do Registro:") + datos);
            FDados.Registra(TDirecaoRegistro::Entrada, QStringLiteral("95"), FHost.NrRecno(), TDesfechoRegistro::Falhou);
            ConfereConexoes();
            continue;
        }
        FDados.AdicionaLinha(QStringLiteral("Grava Movimentos do FTOHOST (95)") + descricao);
        Marca(true);
    }
}
