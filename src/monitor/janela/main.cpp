// The entry of quelix: the window by default; --ciclo and --sem-janela run
// the same monitor without one.
#include "monitor/FabricaMonitora.h"
#include "monitor/RelatorConsole.h"
#include "monitor/SemJanela.h"
#include "monitor/SinaisDeParada.h"
#include "monitor/janela/FmMonitora.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStyle>

#include <cstdio>
#include <cstring>

namespace {

const char* const Ajuda =
    "Uso: quelix [opção]\n"
    "  (sem opção)    abre a janela e monitora a cada 59 segundos\n"
    "  --ciclo        sem janela: inicia, roda um ciclo do modelo configurado e sai\n"
    "                 (status 0: ciclo concluído; 1: erro no ciclo)\n"
    "  --sem-janela   sem janela: monitora a cada 59 segundos até SIGINT ou SIGTERM\n"
    "  --help         mostra esta ajuda\n"
    "A configuração é lida do QX.ini ao lado do executável.\n";

int OpcaoDesconhecida()
{
    std::fputs("quelix: opção desconhecida\n", stderr);
    std::fputs(Ajuda, stderr);
    return 2;
}

enum class TModo { Janela, Ciclo, SemJanela, Ajuda, Invalido };

TModo ModoDaLinhaDeComando(int argc, char** argv)
{
    // Longer command lines go to the window's toolkit (its own options such
    // as -platform name); what it does not take is refused there.
    if (argc != 2)
        return TModo::Janela;
    const char* opcao = argv[1];
    if (std::strcmp(opcao, "--ciclo") == 0)
        return TModo::Ciclo;
    if (std::strcmp(opcao, "--sem-janela") == 0)
        return TModo::SemJanela;
    if (std::strcmp(opcao, "--help") == 0 || std::strcmp(opcao, "-h") == 0)
        return TModo::Ajuda;
    return TModo::Invalido;
}

int ExecutaSemTela(int argc, char** argv, TModo modo)
{
    QCoreApplication aplicacao(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quelix"));
    TRelatorConsole relator;
    auto monitora = CriaMonitora(relator);
    return modo == TModo::Ciclo ? ExecutaUmCiclo(*monitora) : ExecutaSemJanela(*monitora);
}

int ExecutaComJanela(int argc, char** argv)
{
    QApplication aplicacao(argc, argv);
    if (QCoreApplication::arguments().size() > 1)
        return OpcaoDesconhecida();
    QApplication::setApplicationName(QStringLiteral("Quelix"));
    QApplication::setWindowIcon(aplicacao.style()->standardIcon(QStyle::SP_ComputerIcon));
    TFmMonitora FmMonitora([](TRelator& relator) { return CriaMonitora(relator); });
    // SIGINT and SIGTERM close the window, with its ordinary shut-down.
    const auto aviso = AvisaParadaNoLaco([&FmMonitora] { FmMonitora.close(); });
    FmMonitora.show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    BloqueiaSinaisDeParada();
    switch (ModoDaLinhaDeComando(argc, argv)) {
    case TModo::Janela:
        return ExecutaComJanela(argc, argv);
    case TModo::Ciclo:
        return ExecutaSemTela(argc, argv, TModo::Ciclo);
    case TModo::SemJanela:
        return ExecutaSemTela(argc, argv, TModo::SemJanela);
    case TModo::Ajuda:
        std::fputs(Ajuda, stdout);
        return 0;
    case TModo::Invalido:
        break;
    }
    return OpcaoDesconhecida();
}
