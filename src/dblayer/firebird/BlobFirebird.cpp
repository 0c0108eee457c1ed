#include "dblayer/firebird/BlobFirebird.h"

#include "dblayer/firebird/ConexaoFirebird.h"
#include "dblayer/firebird/StatusFirebird.h"

namespace BlobFirebird {

namespace {

constexpr int kSegmento = 32 * 1024;

} // namespace

bool le(ConexaoFirebird& conexao, ISC_QUAD id, QByteArray& conteudo, ISC_STATUS* status)
{
    isc_blob_handle blob = 0;
    if (isc_open_blob2(status, conexao.banco(), conexao.transacao(), &blob, &id, 0, nullptr))
        return false;
    conteudo.clear();
    char segmento[kSegmento];
    for (;;) {
        unsigned short lidos = 0;
        const ISC_STATUS r = isc_get_segment(status, &blob, &lidos, sizeof segmento, segmento);
        if (r != 0 && r != isc_segment)
            break;
        conteudo.append(segmento, lidos);
    }
    const bool terminou = status[1] == isc_segstr_eof;
    ISC_STATUS_ARRAY statusFecha;
    isc_close_blob(statusFecha, &blob);
    if (!terminou)
        return false;
    status[0] = 1;
    status[1] = 0;
    status[2] = isc_arg_end;
    return true;
}

bool grava(ConexaoFirebird& conexao, const QByteArray& conteudo, ISC_QUAD& id, ISC_STATUS* status)
{
    isc_blob_handle blob = 0;
    if (isc_create_blob2(status, conexao.banco(), conexao.transacao(), &blob, &id, 0, nullptr))
        return false;
    for (qsizetype inicio = 0; inicio < conteudo.size(); inicio += kSegmento) {
        const auto tamanho = static_cast<unsigned short>(qMin<qsizetype>(kSegmento, conteudo.size() - inicio));
        if (isc_put_segment(status, &blob, tamanho, conteudo.constData() + inicio)) {
            ISC_STATUS_ARRAY statusCancela;
            isc_cancel_blob(statusCancela, &blob);
            return false;
        }
    }
    return isc_close_blob(status, &blob) == 0;
}

} // namespace BlobFirebird
