#include "OutraConexao.h"

#include "AmbienteTeste.h"
#include "ComandosDoTeste.h"
#include "dblayer/KoQuery.h"

namespace {

void Prepara(TKoQuery& consulta, TKoDatabase& banco, const QString& sql, const QVariantMap& parametros)
{
    consulta.SetDatabase(&banco);
    consulta.SQL.Add(sql);
    for (auto p = parametros.cbegin(); p != parametros.cend(); ++p)
        consulta.ParamByName(p.key()).SetValue(p.value());
}

} // namespace

QList<TLinhaLida> LeLinhas(TKoDatabase& banco, const QString& sql, const QVariantMap& parametros)
{
    const TComandosDoTeste doTeste;
    TKoQuery consulta;
    Prepara(consulta, banco, sql, parametros);
    consulta.Open();
    QList<TLinhaLida> linhas;
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        TLinhaLida linha;
        for (int i = 0; i < consulta.FieldCount(); ++i)
            linha << consulta.Fields(i);
        linhas << linha;
    }
    consulta.Close();
    return linhas;
}

QStringList LeColuna(TKoDatabase& banco, const QString& sql, const QVariantMap& parametros)
{
    QStringList valores;
    for (const TLinhaLida& linha : LeLinhas(banco, sql, parametros))
        valores << (linha.isEmpty() ? QString() : linha.first().AsString());
    return valores;
}

TOutraConexao::TOutraConexao(TServidor servidor, const QString& base)
{
    if (servidor == TServidor::Postgres) {
        FBanco.SetDriverName(QStringLiteral("PG"));
        FBanco.SetDatabaseName(AmbienteTeste::pgHost() + u':' + base);
        FBanco.Port = AmbienteTeste::pgPorta();
        FBanco.User = AmbienteTeste::pgUsuario();
        FBanco.Password = AmbienteTeste::pgSenha();
    } else {
        FBanco.SetDriverName(QStringLiteral("FB"));
        FBanco.SetDatabaseName(base);
        // An embedded file is opened by this process, whose user it takes.
        if (base.contains(u':')) {
            FBanco.User = AmbienteTeste::fbUsuario();
            FBanco.Password = AmbienteTeste::fbSenha();
        }
    }
    FBanco.Open();
}

TOutraConexao::~TOutraConexao()
{
    FBanco.Close();
}

QList<TLinhaLida> TOutraConexao::Linhas(const QString& sql, const QVariantMap& parametros)
{
    return LeLinhas(FBanco, sql, parametros);
}

QStringList TOutraConexao::Coluna(const QString& sql, const QVariantMap& parametros)
{
    return LeColuna(FBanco, sql, parametros);
}

void TOutraConexao::Executa(const QString& sql, const QVariantMap& parametros)
{
    const TComandosDoTeste doTeste;
    TKoQuery comando;
    Prepara(comando, FBanco, sql, parametros);
    comando.ExecSQL();
    FBanco.CommitRetaining();
    FBanco.FinalizaTransacao();
}
