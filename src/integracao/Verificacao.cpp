#include "integracao/Verificacao.h"

#include "integracao/Configuracao.h"
#include "integracao/Relator.h"

void TVerificacao::Ok(const QString& oQue) { FRelator.AdicionaLinha(QStringLiteral("ok: ") + oQue); }

// One line per check: a driver's message of several lines is folded into it.
void TVerificacao::Falha(const QString& oQue, const QString& motivo)
{
    ++FFalhas;
    FRelator.AdicionaLinha(QStringLiteral("FALHA: ") + oQue + QStringLiteral(": ") + motivo.simplified());
}

void TVerificacao::Aviso(const QString& texto) { FRelator.AdicionaLinha(QStringLiteral("aviso: ") + texto.simplified()); }

void TVerificacao::Confere(const QString& oQue, const QString& motivo)
{
    if (motivo.isEmpty())
        Ok(oQue);
    else
        Falha(oQue, motivo);
}

void TVerificacao::ChavePreenchida(const TConfiguracao& ini, const QString& secao, const QString& chave)
{
    const QString oQue = QStringLiteral("[%1] %2").arg(secao, chave);
    if (!ini.ExisteChaveIni(secao, chave))
        Falha(oQue, QStringLiteral("ausente"));
    else if (ini.LerIni(secao, chave).trimmed().isEmpty())
        Falha(oQue, QStringLiteral("vazia"));
    else
        Ok(oQue + QStringLiteral(" = ") + ini.LerIni(secao, chave));
}

void TVerificacao::ChaveSimNao(const TConfiguracao& ini, const QString& secao, const QString& chave)
{
    const QString valor = ini.LerIni(secao, chave);
    if (!valor.isEmpty() && valor != QLatin1String("S") && valor != QLatin1String("N"))
        Falha(QStringLiteral("[%1] %2").arg(secao, chave),
              QStringLiteral("\"%1\" não é S nem N (é lido como N)").arg(valor));
}
