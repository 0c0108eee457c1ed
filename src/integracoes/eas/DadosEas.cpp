#include "integracoes/eas/DadosEas.h"

#include "base/Apara.h"
#include "base/Erros.h"
#include "integracao/ConteudoRegistro.h"
#include "integracao/Relator.h"

#include <utility>

TDadosEas::TDadosEas(TContextoIntegracao& contexto) : KoDatabase1(contexto.KoDatabase1), FContexto(contexto)
{
    KoDatabase2.setObjectName(QStringLiteral("KoDatabase2"));
    // Unconfigured until start-up reads [Banco3].
    KoDatabase2.SetDriverName(QStringLiteral("MSSQL"));
}

void TDadosEas::AdicionaLinha(const QString& linha)
{
    FContexto.Relator.AdicionaLinha(linha);
}

void TDadosEas::MostraMensagem(const QString& texto)
{
    FContexto.Relator.MostraMensagem(texto);
}

void TDadosEas::ContaFalha()
{
    ++FContexto.FalhasNoCiclo;
}

void TDadosEas::Registra(TDirecaoRegistro direcao, const QString& tipo, const QString& chave,
                         std::optional<TDesfechoRegistro> desfecho)
{
    if (!desfecho)
        desfecho = FContexto.FalhasNoCiclo > FFalhasAteUltimoRegistro ? TDesfechoRegistro::Falhou
                                                                      : TDesfechoRegistro::Enviado;
    QString conteudo;
    if (direcao == TDirecaoRegistro::Entrada)
        conteudo = ConteudoRecebido();
    else
        conteudo = std::exchange(ConteudoEnviado, QString());
    FContexto.Relator.RegistraRegistro({direcao, tipo, Apara(chave), *desfecho, {}, conteudo});
    IniciaRegistros();
}

// The FTOHOST row as it was read, every column the selection names.
QString TDadosEas::ConteudoRecebido() const
{
    if (!SelecaoRecebida || !SelecaoRecebida->Active() || SelecaoRecebida->Eof())
        return {};
    QList<std::pair<QString, QVariant>> valores;
    valores.reserve(SelecaoRecebida->FieldCount());
    for (int i = 0; i < SelecaoRecebida->FieldCount(); ++i)
        valores.append({SelecaoRecebida->Fields(i).FieldName(), SelecaoRecebida->Fields(i).Value()});
    return ConteudoDosValores(valores);
}

void TDadosEas::IniciaRegistros()
{
    FFalhasAteUltimoRegistro = FContexto.FalhasNoCiclo;
}
