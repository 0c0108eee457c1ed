#pragma once

// An XSQLDA and the memory its variables point to. Internal to the driver.

#include <ibase.h>

#include <QByteArray>

#include <vector>

// The type of a variable as the server described it; input variables are
// re-typed for each execution, so the description is kept apart.
struct TipoDescrito {
    short tipo = 0;      // sqltype without the null flag
    short escala = 0;    // sqlscale: minus the number of decimals
    short subtipo = 0;   // text: character set; blob: sub_type
    short tamanho = 0;   // sqllen, in bytes
    bool anulavel = false;
};

class AreaSqlda {
public:
    AreaSqlda();
    ~AreaSqlda();

    AreaSqlda(const AreaSqlda&) = delete;
    AreaSqlda& operator=(const AreaSqlda&) = delete;

    XSQLDA* sqlda() { return m_sqlda; }

    // Room for n variables; the described count stays in sqlda()->sqld.
    void reserva(int n);
    bool cabeTudo() const { return m_sqlda->sqld <= m_sqlda->sqln; }
    int quantidade() const { return m_sqlda->sqld; }
    XSQLVAR& var(int i) { return m_sqlda->sqlvar[i]; }
    const XSQLVAR& var(int i) const { return m_sqlda->sqlvar[i]; }
    const TipoDescrito& descrito(int i) const { return m_descritos[i]; }

    // Keeps the described types and gives every variable a buffer for them
    // (result columns).
    void preparaSaida();
    // Keeps the described types only (parameters, buffered per execution).
    void guardaDescricao();

private:
    XSQLDA* m_sqlda = nullptr;
    std::vector<TipoDescrito> m_descritos;
    std::vector<char> m_dados;
    std::vector<short> m_indicadores;
};
