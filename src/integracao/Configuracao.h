#pragma once

#include <QString>

// The configuration file QX.ini of one folder (the executable's, unless a
// test names another). Never written; its lines are kept between readings
// and read again when the file's time or size changes.
class TConfiguracao {
public:
    // `pasta` empty: the folder of the running executable.
    explicit TConfiguracao(const QString& pasta = {});

    QString Pasta() const;
    // The file's full name, for messages.
    QString Caminho(const QString& arquivo = QStringLiteral("QX.ini")) const;
    bool Existe(const QString& arquivo = QStringLiteral("QX.ini")) const;

    // The value of a key, empty when the file, section or key is missing.
    QString LerIni(const QString& secao, const QString& chave,
                   const QString& arquivo = QStringLiteral("QX.ini")) const;
    // True when the section holds the key, whatever its value.
    bool ExisteChaveIni(const QString& secao, const QString& chave,
                        const QString& arquivo = QStringLiteral("QX.ini")) const;

private:
    QString FPasta;
};
