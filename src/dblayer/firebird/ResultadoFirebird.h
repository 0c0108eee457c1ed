#pragma once

#include <QSqlResult>

#include <memory>

class ConexaoFirebird;
class DriverFirebird;

// One statement on a Firebird connection: prepared once, executed as many
// times as wanted with new positional values. A scrollable result keeps the
// rows it has fetched so that it can go back; a forward-only one keeps only
// the current row.
class ResultadoFirebird : public QSqlResult {
public:
    ResultadoFirebird(const DriverFirebird* driver, std::shared_ptr<ConexaoFirebird> conexao);
    ~ResultadoFirebird() override;

protected:
    bool prepare(const QString& consulta) override;
    bool exec() override;
    bool reset(const QString& consulta) override;

    bool fetch(int linha) override;
    bool fetchNext() override;
    bool fetchPrevious() override;
    bool fetchFirst() override;
    bool fetchLast() override;

    QVariant data(int coluna) override;
    bool isNull(int coluna) override;
    int size() override;
    int numRowsAffected() override;
    QSqlRecord record() const override;
    void detachFromResultSet() override;

private:
    struct Estado;

    bool falha(const QSqlError& erro);
    bool garanteComando();
    bool descreve();
    bool vinculaParametros();
    bool executa();
    bool buscaProxima(QVariantList& linha);
    bool leLinha(QVariantList& linha);
    void fechaCursor();
    int contaAfetadas();
    const QVariantList* linhaAtual() const;

    std::unique_ptr<Estado> m;
};
