#include "monitor/LeitorFila.h"

#include "integracao/Integracao.h"

#include <QSqlRecord>
#include <QSqlTableModel>

TLeitorFila::TLeitorFila() { KoDatabaseFila.setObjectName(QStringLiteral("KoDatabaseFila")); }

TLeitorFila::~TLeitorFila() { Fecha(); }

TLinhasFila TLeitorFila::Le(const TVisaoFila& visao, TKoDatabase& erp)
{
    TbFila.Close();
    TbFila.TableName = visao.Tabela;
    if (KoDatabaseFila.Connected())
        KoDatabaseFila.ConfereConexao();
    if (!KoDatabaseFila.Connected() || KoDatabaseFila.Perdida())
        KoDatabaseFila.GetDatabase(&erp);
    TbFila.SetDatabase(&KoDatabaseFila);
    TbFila.Filter = visao.Filtro;
    TbFila.Filtered = true;
    TbFila.Open();
    KoDatabaseFila.FinalizaTransacao();

    TLinhasFila linhas;
    const QSqlTableModel& modelo = *TbFila.Modelo();
    const QSqlRecord campos = modelo.record();
    for (int c = 0; c < campos.count(); ++c)
        linhas.Colunas << campos.fieldName(c);
    linhas.Linhas.reserve(modelo.rowCount());
    for (int l = 0; l < modelo.rowCount(); ++l) {
        const QSqlRecord registro = modelo.record(l);
        QVariantList valores;
        valores.reserve(registro.count());
        for (int c = 0; c < registro.count(); ++c)
            valores << registro.value(c);
        linhas.Linhas << valores;
    }
    return linhas;
}

void TLeitorFila::Fecha()
{
    TbFila.Close();
    if (KoDatabaseFila.Connected())
        KoDatabaseFila.Close();
}
