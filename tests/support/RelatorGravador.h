#pragma once

#include "integracao/Relator.h"

#include <QList>
#include <QString>
#include <QStringList>

// A TRelator for tests: it records the log-pane lines, the modal messages,
// the error boxes and the records reported for the journal in order, and
// answers every question with `resposta`.
class TRelatorGravador : public TRelator {
public:
    QStringList Linhas;
    QStringList Mensagens;
    QStringList Perguntas;
    QStringList Erros;
    QList<TRegistroTratado> Tratados;
    int Ocupacoes = 0;  // how many times work was shown as running
    bool resposta = true;

    void AdicionaLinha(const QString& linha) override { Linhas << linha; }
    void MostraMensagem(const QString& texto) override { Mensagens << texto; }
    bool Pergunta(const QString& texto, const QString& /*titulo*/) override
    {
        Perguntas << texto;
        return resposta;
    }
    void MostraErro(const QString& texto) override { Erros << texto; }
    void RegistraRegistro(const TRegistroTratado& registro) override { Tratados << registro; }
    void IndicaOcupado(bool ocupado) override
    {
        if (ocupado)
            ++Ocupacoes;
    }

    void Limpa()
    {
        Linhas.clear();
        Mensagens.clear();
        Perguntas.clear();
        Erros.clear();
        Tratados.clear();
    }
};
