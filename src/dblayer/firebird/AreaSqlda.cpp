#include "dblayer/firebird/AreaSqlda.h"

#include <cstdlib>
#include <new>

namespace {

int tamanhoDoBuffer(const XSQLVAR& v)
{
    const int tipo = v.sqltype & ~1;
    const int tamanho = tipo == SQL_VARYING ? v.sqllen + 2 : v.sqllen;
    return qMax(tamanho, 1);
}

int alinhado(int deslocamento)
{
    return (deslocamento + 7) & ~7;
}

} // namespace

AreaSqlda::AreaSqlda()
{
    reserva(1);
}

AreaSqlda::~AreaSqlda()
{
    std::free(m_sqlda);
}

void AreaSqlda::reserva(int n)
{
    n = qMax(n, 1);
    std::free(m_sqlda);
    m_sqlda = static_cast<XSQLDA*>(std::calloc(1, XSQLDA_LENGTH(n)));
    if (!m_sqlda)
        throw std::bad_alloc();
    m_sqlda->version = SQLDA_VERSION1;
    m_sqlda->sqln = static_cast<ISC_SHORT>(n);
    m_descritos.clear();
}

void AreaSqlda::guardaDescricao()
{
    m_descritos.resize(quantidade());
    for (int i = 0; i < quantidade(); ++i) {
        const XSQLVAR& v = var(i);
        m_descritos[i] = TipoDescrito{static_cast<short>(v.sqltype & ~1), v.sqlscale,
                                      v.sqlsubtype, v.sqllen, (v.sqltype & 1) != 0};
    }
}

void AreaSqlda::preparaSaida()
{
    guardaDescricao();
    int total = 0;
    for (int i = 0; i < quantidade(); ++i)
        total = alinhado(total + tamanhoDoBuffer(var(i)));
    m_dados.assign(static_cast<size_t>(total), 0);
    m_indicadores.assign(static_cast<size_t>(quantidade()), 0);

    int deslocamento = 0;
    for (int i = 0; i < quantidade(); ++i) {
        XSQLVAR& v = var(i);
        v.sqldata = m_dados.data() + deslocamento;
        v.sqlind = &m_indicadores[i];
        // Nullability is reported through the indicator for every column.
        v.sqltype |= 1;
        deslocamento = alinhado(deslocamento + tamanhoDoBuffer(v));
    }
}
