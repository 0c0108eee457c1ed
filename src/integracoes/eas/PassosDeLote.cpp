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
            Marca(passo.RegistroNoErro, TDesfechoRegistro::Ignorado);
            continue;
        }
        if (AplicaNoLote(passo, QString::number(numero), FHost.Campo(passo.CampoMaquina)) == TAplicacao::Pendente)
            FHost.DeixaPendente();
        else
            Marca(passo.RegistroNoErro);
    }
}

// The row's statements and its number are committed together. A field
// that does not convert can never apply: it is reported and the row marked
// read. A statement that fails (an ERP out of reach, a refused write) leaves
// the row unread for the next cycle, so no lot start or machine change is
// dropped. Either way the row's statements are undone.
TAplicacao TRecebimentoEas::AplicaNoLote(const TPassoDeLote& passo, const QString& fal, const QString& maquina)
{
    const std::optional<bool> jaAplicada = JaAplicada();
    if (!jaAplicada)
        return TAplicacao::Pendente;
    if (*jaAplicada)
        return TAplicacao::JaAplicada;
    const QString descricao = QStringLiteral("Movimentos do FTOHOST (") + passo.Tipo + QStringLiteral(") - FAL: ") + fal
                            + QStringLiteral(" MAQUINA ") + maquina;
    const auto linhaErro = [&](const std::exception& erro) {
        QString linha = QStringLiteral("ERRO na Gravação ") + descricao + QStringLiteral(" Nr. Reg no ") + passo.Tipo
                      + QStringLiteral(" : ") + FHost.NrRecno() + QStringLiteral(" : ") + MensagemDoErro(erro);
        if (passo.RegistroNoErro)
            linha += QStringLiteral("Informação do Registro:") + FHost.Datos();
        FDados.AdicionaLinha(linha);
        FDados.ContaFalha();
    };
    try {
        passo.Aplica(fal, maquina);
        ConfirmaAplicacao();
    } catch (const ERegistroAdiado& erro) {
        DesfazPendentes({&FDados.KoDatabase1});
        FDados.AdicionaLinha(QStringLiteral("ERRO na preparação ") + descricao + QStringLiteral(" Nr. Reg no ")
                             + passo.Tipo + QStringLiteral(" : ") + FHost.NrRecno() + QStringLiteral(" : ")
                             + erro.Message() + QStringLiteral(" (o registro fica para o próximo ciclo)"));
        FDados.ContaFalha();
        ConfereConexoes();
        return TAplicacao::Pendente;
    } catch (const EDatabaseError& erro) {
        DesfazPendentes({&FDados.KoDatabase1});
        linhaErro(erro);
        ConfereConexoes();
        return TAplicacao::Pendente;
    } catch (const std::exception& erro) {
        DesfazPendentes({&FDados.KoDatabase1});
        linhaErro(erro);
        return TAplicacao::Recusada;
    }
    FDados.AdicionaLinha(QStringLiteral("Grava ") + descricao);
    return TAplicacao::Aplicada;
}
