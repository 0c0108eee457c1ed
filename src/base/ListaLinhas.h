#pragma once

#include <QString>
#include <QStringList>

// The SQL text of a query as a list of lines. Read as one string, every line
// is followed by CR LF, the last one included; written as one string, the
// text is split again at CR LF, CR or LF.
class TListaLinhas {
public:
    void Clear() { FLinhas.clear(); }
    void Add(const QString& linha) { FLinhas.append(linha); }
    int Count() const { return FLinhas.size(); }
    const QString& operator[](int i) const { return FLinhas[i]; }

    QString Text() const;
    void SetText(const QString& texto);

private:
    QStringList FLinhas;
};

// What a text becomes after a round trip through a line list.
QString NormalizaComoLinhas(const QString& texto);
