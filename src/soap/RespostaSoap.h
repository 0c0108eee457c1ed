#pragma once

#include <QByteArray>
#include <QString>

// What a SOAP response body says. The operations return nothing, so a
// well-formed envelope without a fault is all a success needs.
struct TRespostaSoap {
    enum class TTipo {
        Vazia,    // no body at all
        Sucesso,  // a well-formed SOAP envelope without a fault
        Falha,    // a SOAP fault
        Ilegivel  // not XML, not well-formed, or not a SOAP envelope
    };
    TTipo Tipo = TTipo::Vazia;
    QString TextoFalha;
    QString CodigoFalha;
    QString NomeDetalhe;
    QString TextoDetalhe;
    QString Problema; // why it is unreadable
};

TRespostaSoap LeRespostaSoap(const QByteArray& corpo);
