#include "operacao/ChavesMonitor.h"

#include "integracao/Configuracao.h"

int LeInteiroMonitor(const TConfiguracao& ini, const QString& chave, int padrao, const QString& seInvalida,
                     const std::function<void(const QString&)>& avisa)
{
    const QString texto = ini.LerIni(QStringLiteral("Monitor"), chave).trimmed();
    if (texto.isEmpty())
        return padrao;
    bool ok = false;
    const int valor = texto.toInt(&ok);
    if (ok && valor >= 1)
        return valor;
    if (avisa)
        avisa(QStringLiteral("[Monitor] %1 \"%2\" não é um número inteiro maior que zero: %3.").arg(chave, texto, seInvalida));
    return padrao;
}
