#pragma once

#include <QObject>
#include <QSet>
#include <QStringList>
#include <QSqlTableModel>

#include <memory>

class TKoDatabase;

// The table component: one table of a connection, with an index-field list,
// a row filter and row editing. The window's grid shows its model.
class TKoCustomTable : public QObject {
    Q_OBJECT
public:
    explicit TKoCustomTable(QObject* owner = nullptr);
    ~TKoCustomTable() override;

    TKoDatabase* Database() const { return FDatabase; }
    void SetDatabase(TKoDatabase* banco);

    QString TableName;
    QString IndexFieldNames;   // names separated by ";", optionally ending in " ASC"
    QString Filter;            // an SQL condition such as "STATUS = 0"
    bool Filtered = false;
    // The fields defined before the table is opened (its persistent fields);
    // only a table that has them marks its key fields from IndexFieldNames.
    QStringList CamposPersistentes;
    QString SchemaName() const { return FSchemaName; }

    void Open();
    void Close();
    bool Active() const { return FAtiva; }
    int RecordCount() const;

    // A new row at the end of the current order; Post writes it.
    void Append();
    void SetFieldValue(const QString& campo, const QVariant& valor);
    QVariant FieldValue(int linha, const QString& campo) const;
    void Post();
    void Delete(int linha);

    // The fields that identify a row when changes are written back.
    const QSet<QString>& CamposChave() const { return FCamposChave; }

    QSqlTableModel* Modelo() const { return FModelo.get(); }

protected:
    void MarcaChaves();

private:
    void AbreCursor();
    QString IndiceSemAsc() const;

    TKoDatabase* FDatabase = nullptr;
    QString FSchemaName;
    bool FbCarregado = false;
    bool FAtiva = false;
    int FLinhaNova = -1;
    QSet<QString> FCamposChave;
    std::unique_ptr<QSqlTableModel> FModelo;
};

class TKoTable : public TKoCustomTable {
    Q_OBJECT
public:
    using TKoCustomTable::TKoCustomTable;
    void Append() { TKoCustomTable::Append(); }
};
