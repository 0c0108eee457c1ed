#include "monitor/LeitorFila.h"

#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "integracao/Integracao.h"

#include <QFileInfo>

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

TFilaConsole TLeitorFila::LeConsole(const TVisaoFila& visao, TKoDatabase& erp, const QString& integracao,
                                    const QString& arquivoDiario, int limite)
{
    TFilaConsole fila;
    fila.Integracao = integracao;
    fila.Pendentes = Le(visao, erp);
    TKoQuery consulta;
    consulta.SetDatabase(&KoDatabaseFila);
    consulta.DefineLinhas({QStringLiteral("SELECT * FROM ") + visao.Tabela,
                           QStringLiteral("WHERE ") + visao.FiltroReenviaveis,
                           QStringLiteral("ORDER BY ") + visao.Chave + QStringLiteral(" DESC")});
    try {
        consulta.Open(limite + 1);
    } catch (...) {
        KoDatabaseFila.FinalizaTransacao();
        throw;
    }
    for (int c = 0; c < consulta.FieldCount(); ++c)
        fila.Colunas << consulta.Fields(c).FieldName();
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        if (fila.Reenviaveis.size() == limite) {
            fila.MaisReenviaveis = true;
            break;
        }
        TTarefaReenviavel tarefa;
        tarefa.Chave = consulta.FieldByName(visao.Chave).AsString();
        for (int c = 0; c < consulta.FieldCount(); ++c)
            tarefa.Valores << consulta.Fields(c).Value();
        fila.Reenviaveis << tarefa;
    }
    consulta.Close();
    KoDatabaseFila.FinalizaTransacao();

    // The journal is the monitor's: a row without its record is still
    // shown when the journal cannot be read.
    try {
        if (!FDiario && QFileInfo(arquivoDiario).isFile())
            FDiario = std::make_unique<TLeituraDiario>(arquivoDiario);
        if (FDiario)
            for (TTarefaReenviavel& tarefa : fila.Reenviaveis)
                tarefa.UltimoRegistro = FDiario->UltimoDaChave(integracao, tarefa.Chave);
    } catch (const Exception& e) {
        FDiario.reset();
        fila.Erro = e.Message();
    }
    return fila;
}

void TLeitorFila::Fecha()
{
    FDiario.reset();
    TbFila.Close();
    if (KoDatabaseFila.Connected())
        KoDatabaseFila.Close();
}
