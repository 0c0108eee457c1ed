#include "integracao/AbreConexao.h"

#include "base/Erros.h"
#include "dblayer/KoDatabase.h"

std::optional<QString> TentaAbrir(TKoDatabase& banco)
{
    try {
        banco.Open();
        return std::nullopt;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}
