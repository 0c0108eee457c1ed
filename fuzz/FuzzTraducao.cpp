// Feeds arbitrary text through the whole translation, for every driver id:
// it must end, stay in range and raise nothing but the conversion error a
// bad HORA[ flag is allowed to raise. The dictionary is answered in memory.

#include "base/Erros.h"
#include "dblayer/traducao/ConverteSQL.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

const QString kDrivers[] = {QStringLiteral("FB"), QStringLiteral("Ora"), QStringLiteral("PG"),
                            QStringLiteral("MSSQL"), QStringLiteral("SQLite")};

// Some tables have columns, some have none; names come back as the table's.
QStringList Colunas(const QString& tabela)
{
    if (tabela.size() % 3 == 0)
        return {};
    return {tabela + QStringLiteral("_A"), QStringLiteral(" .* "), tabela};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho)
{
    if (tamanho > 4096)
        return -1; // statements of the system are far shorter; keep runs quick
    const QString texto =
        QString::fromUtf8(reinterpret_cast<const char*>(dados), static_cast<qsizetype>(tamanho));
    for (const QString& driver : kDrivers) {
        TCacheTraducao cache;
        try {
            const QString traduzido = ConverteSQL(texto, driver, cache, Colunas);
            // A second call takes the cache path.
            if (ConverteSQL(texto, driver, cache, Colunas) != traduzido)
                __builtin_trap();
        } catch (const EConvertError&) {
        }
    }
    return 0;
}
