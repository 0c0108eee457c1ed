#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <utility>
#include <vector>

// A statement as the query component is about to send it.
struct TComandoEnviado {
    QString Conexao;       // the connection component's object name ("KoDatabase1")
    QString Driver;        // its DriverName
    QString TextoEscrito;  // the text as the code wrote it, before the dialect translation
    QString TextoEnviado;  // the text as it goes to the server
    std::vector<std::pair<QString, QVariant>> Parametros;  // by name, as bound
};

// Told of every statement the query components send, on the thread that
// sends it: a catalogue of what the system really sends can be kept without
// a copy of its texts, and a simulated cycle shows its writes. None by
// default. It may be installed or removed while statements run on other
// threads: each statement sees the observer installed when it was sent.
using TObservadorComandos = std::function<void(const TComandoEnviado&)>;
void DefineObservadorComandos(TObservadorComandos observador);

// The query component's side: tells the installed observer, if any.
bool HaObservadorComandos();
void AvisaComandoEnviado(const TComandoEnviado& comando);
