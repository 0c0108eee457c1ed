#include "servico/console/SessoesConsole.h"

#include <QRandomGenerator>

#include <algorithm>

QByteArray TokenAleatorio()
{
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(bytes.data()),
                                         reinterpret_cast<quint32*>(bytes.data() + bytes.size()));
    return bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

TSessoesConsole::TSessoesConsole() { FRelogio.start(); }

bool TSessoesConsole::Vencida(const TSessao& sessao, qint64 agora) const
{
    return agora - sessao.Usada > OciosaMs || agora - sessao.Criada > AbsolutaMs;
}

QByteArray TSessoesConsole::Cria(const QString& usuario)
{
    const qint64 agora = Agora();
    for (auto it = FSessoes.begin(); it != FSessoes.end();)
        it = Vencida(it.value(), agora) ? FSessoes.erase(it) : std::next(it);
    if (FSessoes.size() >= MaximoSessoes) {
        const auto menosUsada = std::min_element(FSessoes.cbegin(), FSessoes.cend(),
                                                 [](const TSessao& a, const TSessao& b) { return a.Usada < b.Usada; });
        FSessoes.erase(menosUsada);
    }
    const QByteArray token = TokenAleatorio();
    FSessoes.insert(token, TSessao{usuario, TokenAleatorio(), agora, agora});
    return token;
}

const TSessoesConsole::TSessao* TSessoesConsole::Busca(const QByteArray& token)
{
    const auto it = FSessoes.find(token);
    if (it == FSessoes.end())
        return nullptr;
    const qint64 agora = Agora();
    if (Vencida(it.value(), agora)) {
        FSessoes.erase(it);
        return nullptr;
    }
    it->Usada = agora;
    return &it.value();
}

void TSessoesConsole::Remove(const QByteArray& token) { FSessoes.remove(token); }

TFreioEntrada::TFreioEntrada() { FRelogio.start(); }

qint64 TFreioEntrada::Espera(const QHostAddress& endereco) const
{
    const auto it = FEnderecos.constFind(endereco.toString());
    if (it == FEnderecos.cend())
        return 0;
    return std::max<qint64>(0, it->Liberado - FRelogio.elapsed());
}

void TFreioEntrada::Falhou(const QHostAddress& endereco)
{
    const qint64 agora = FRelogio.elapsed();
    const QString chave = endereco.toString();
    if (!FEnderecos.contains(chave) && FEnderecos.size() >= MaximoEnderecos) {
        for (auto it = FEnderecos.begin(); it != FEnderecos.end();)
            it = agora - it->Ultima > EsquecimentoMs ? FEnderecos.erase(it) : std::next(it);
        if (FEnderecos.size() >= MaximoEnderecos)
            FEnderecos.erase(std::min_element(FEnderecos.cbegin(), FEnderecos.cend(),
                                              [](const TFalhas& a, const TFalhas& b) { return a.Ultima < b.Ultima; }));
    }
    TFalhas& falhas = FEnderecos[chave];
    if (agora - falhas.Ultima > EsquecimentoMs)
        falhas.Quantas = 0;
    ++falhas.Quantas;
    falhas.Ultima = agora;
    falhas.Liberado = agora + std::min<qint64>(MaximaEsperaMs, 1000LL << std::min(falhas.Quantas - 1, 16));
}

void TFreioEntrada::Passou(const QHostAddress& endereco) { FEnderecos.remove(endereco.toString()); }
