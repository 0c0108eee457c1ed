#include "dblayer/firebird/ConversaoFirebird.h"

#include "dblayer/firebird/BlobFirebird.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include <cstring>
#include <limits>

namespace ConversaoFirebird {

namespace {

constexpr short kCharsetOctets = 1;
constexpr short kCharsetUtf8 = 4;
constexpr short kBlobTexto = 1;
// The server's dates count days from 17 November 1858.
constexpr qint64 kJulianoDaDataZero = 2400001;
// Times count tenths of a millisecond.
constexpr int kFracoesPorMilissegundo = ISC_TIME_SECONDS_PRECISION / 1000;

bool ehTexto(short tipo)
{
    return tipo == SQL_TEXT || tipo == SQL_VARYING;
}

bool ehInteiro(short tipo)
{
    return tipo == SQL_SHORT || tipo == SQL_LONG || tipo == SQL_INT64;
}

bool ehEscalado(const TipoDescrito& d)
{
    return ehInteiro(d.tipo) && d.escala < 0;
}

bool ehPontoFlutuante(short tipo)
{
    return tipo == SQL_FLOAT || tipo == SQL_DOUBLE || tipo == SQL_D_FLOAT;
}

short charset(const TipoDescrito& d)
{
    return static_cast<short>(d.subtipo & 0xFF);
}

int bytesPorCaractere(short conjunto)
{
    switch (conjunto) {
    case 3: return 3; // UNICODE_FSS
    case kCharsetUtf8: return 4;
    case 5: case 6: case 44: case 56: case 57: case 67: case 68: return 2; // multi-byte Asian sets
    default: return 1;
    }
}

template <typename T>
T leNativo(const char* dados)
{
    T valor;
    std::memcpy(&valor, dados, sizeof valor);
    return valor;
}

qint64 inteiroBruto(const XSQLVAR& v)
{
    switch (v.sqltype & ~1) {
    case SQL_SHORT: return leNativo<ISC_SHORT>(v.sqldata);
    case SQL_LONG: return leNativo<ISC_LONG>(v.sqldata);
    default: return leNativo<ISC_INT64>(v.sqldata);
    }
}

// A CHAR value comes padded with blanks to its size in bytes; it keeps the
// blanks of its declared length in characters and no more.
QString cortaEmCaracteres(const QString& texto, int caracteres)
{
    int unidades = 0;
    for (int contados = 0; unidades < texto.size() && contados < caracteres; ++contados)
        unidades += texto.at(unidades).isHighSurrogate() && unidades + 1 < texto.size() ? 2 : 1;
    return texto.left(unidades);
}

QVariant leTexto(const XSQLVAR& v, const TipoDescrito& d)
{
    const bool variavel = (v.sqltype & ~1) == SQL_VARYING;
    const char* dados = variavel ? v.sqldata + 2 : v.sqldata;
    const int tamanho = variavel ? leNativo<ISC_USHORT>(v.sqldata) : v.sqllen;
    if (charset(d) == kCharsetOctets)
        return QByteArray(dados, tamanho);
    const QString texto = QString::fromUtf8(dados, tamanho);
    if (variavel)
        return texto;
    return cortaEmCaracteres(texto, d.tamanho / bytesPorCaractere(charset(d)));
}

QVariant leNumero(const XSQLVAR& v, const TipoDescrito& d, QSql::NumericalPrecisionPolicy politica)
{
    const qint64 bruto = inteiroBruto(v);
    if (d.escala >= 0) {
        if (d.tipo == SQL_INT64)
            return bruto;
        return static_cast<int>(bruto);
    }
    const QString texto = textoDecimal(bruto, -d.escala);
    if (politica == QSql::HighPrecision)
        return texto;
    return texto.toDouble();
}

QDate dataDe(ISC_DATE data)
{
    return QDate::fromJulianDay(kJulianoDaDataZero + data);
}

QTime horaDe(ISC_TIME hora)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(hora / kFracoesPorMilissegundo));
}

QVariant leBlob(const XSQLVAR& v, const TipoDescrito& d, ConexaoFirebird& conexao, ISC_STATUS* status,
                bool& ok)
{
    QByteArray conteudo;
    ok = BlobFirebird::le(conexao, leNativo<ISC_QUAD>(v.sqldata), conteudo, status);
    if (d.subtipo == kBlobTexto)
        return QString::fromUtf8(conteudo);
    return conteudo;
}

// The shortest decimal text that reads back as the same double: what the
// caller meant by 12.5 or 0.1, for the server to round to the column.
QString textoDeDouble(double valor)
{
    return QString::number(valor, 'g', QLocale::FloatingPointShortest);
}

template <typename T>
void preparaFixo(XSQLVAR& v, short tipo, const T& valor, QByteArray& memoria)
{
    memoria.resize(sizeof(T));
    std::memcpy(memoria.data(), &valor, sizeof(T));
    v.sqltype = static_cast<short>(tipo | 1);
    v.sqllen = static_cast<short>(sizeof(T));
    v.sqlscale = 0;
    v.sqlsubtype = 0;
}

bool preparaTexto(XSQLVAR& v, const QByteArray& bytes, short conjunto, QByteArray& memoria, QString& erro)
{
    constexpr int kMaximo = std::numeric_limits<short>::max() - 2;
    if (bytes.size() > kMaximo) {
        erro = QStringLiteral("Texto longo demais para um parâmetro (%1 bytes; o máximo é %2).")
                   .arg(bytes.size())
                   .arg(kMaximo);
        return false;
    }
    memoria.resize(bytes.size() + 2);
    const auto tamanho = static_cast<ISC_USHORT>(bytes.size());
    std::memcpy(memoria.data(), &tamanho, 2);
    std::memcpy(memoria.data() + 2, bytes.constData(), bytes.size());
    v.sqltype = SQL_VARYING | 1;
    v.sqllen = static_cast<short>(bytes.size());
    v.sqlscale = 0;
    v.sqlsubtype = conjunto;
    return true;
}

void preparaNulo(XSQLVAR& v, const TipoDescrito& d, QByteArray& memoria, short& indicador)
{
    memoria.fill('\0', qMax<int>(d.tamanho, 1) + 2);
    v.sqltype = static_cast<short>(d.tipo | 1);
    v.sqllen = d.tamanho;
    v.sqlscale = d.escala;
    v.sqlsubtype = d.subtipo;
    indicador = -1;
}

ISC_TIMESTAMP timestampDe(const QDateTime& valor)
{
    const QDateTime local = valor.timeSpec() == Qt::LocalTime ? valor : valor.toLocalTime();
    ISC_TIMESTAMP ts;
    ts.timestamp_date = static_cast<ISC_DATE>(local.date().toJulianDay() - kJulianoDaDataZero);
    ts.timestamp_time = static_cast<ISC_TIME>(local.time().msecsSinceStartOfDay()) * kFracoesPorMilissegundo;
    return ts;
}

bool vinculaInteiro(XSQLVAR& v, const TipoDescrito& d, qint64 valor, QByteArray& memoria)
{
    if (d.tipo == SQL_BOOLEAN) {
        preparaFixo(v, SQL_BOOLEAN, static_cast<FB_BOOLEAN>(valor != 0 ? FB_TRUE : FB_FALSE), memoria);
        return true;
    }
    preparaFixo(v, SQL_INT64, static_cast<ISC_INT64>(valor), memoria);
    return true;
}

bool vinculaDouble(XSQLVAR& v, const TipoDescrito& d, double valor, QByteArray& memoria, QString& erro)
{
    if (ehPontoFlutuante(d.tipo)) {
        preparaFixo(v, SQL_DOUBLE, valor, memoria);
        return true;
    }
    return preparaTexto(v, textoDeDouble(valor).toUtf8(), kCharsetUtf8, memoria, erro);
}

} // namespace

QString textoDecimal(qint64 valor, int casas)
{
    const bool negativo = valor < 0;
    const quint64 absoluto = negativo ? 0 - static_cast<quint64>(valor) : static_cast<quint64>(valor);
    QString digitos = QString::number(absoluto);
    if (casas <= 0)
        return negativo ? QLatin1Char('-') + digitos : digitos;
    if (digitos.size() <= casas)
        digitos.prepend(QString(casas + 1 - digitos.size(), QLatin1Char('0')));
    digitos.insert(digitos.size() - casas, QLatin1Char('.'));
    return negativo ? QLatin1Char('-') + digitos : digitos;
}

QMetaType tipoDoValor(const TipoDescrito& d, QSql::NumericalPrecisionPolicy politica)
{
    if (ehEscalado(d))
        return QMetaType(politica == QSql::HighPrecision ? QMetaType::QString : QMetaType::Double);
    return tipoDoCampo(d);
}

QMetaType tipoDoCampo(const TipoDescrito& d)
{
    if (ehEscalado(d))
        return QMetaType(QMetaType::Double);
    switch (d.tipo) {
    case SQL_TEXT:
    case SQL_VARYING:
        return QMetaType(charset(d) == kCharsetOctets ? QMetaType::QByteArray : QMetaType::QString);
    case SQL_SHORT:
    case SQL_LONG: return QMetaType(QMetaType::Int);
    case SQL_INT64: return QMetaType(QMetaType::LongLong);
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return QMetaType(QMetaType::Double);
    case SQL_TYPE_DATE: return QMetaType(QMetaType::QDate);
    case SQL_TYPE_TIME: return QMetaType(QMetaType::QTime);
    case SQL_TIMESTAMP: return QMetaType(QMetaType::QDateTime);
    case SQL_BOOLEAN: return QMetaType(QMetaType::Bool);
    case SQL_BLOB:
        return QMetaType(d.subtipo == kBlobTexto ? QMetaType::QString : QMetaType::QByteArray);
    case SQL_ARRAY: return QMetaType(QMetaType::QByteArray);
    default: return QMetaType();
    }
}

int comprimento(const TipoDescrito& d)
{
    if (ehTexto(d.tipo) && charset(d) != kCharsetOctets)
        return d.tamanho / bytesPorCaractere(charset(d));
    return d.tamanho;
}

bool le(const XSQLVAR& v, const TipoDescrito& d, QSql::NumericalPrecisionPolicy politica,
        ConexaoFirebird& conexao, QVariant& valor, ISC_STATUS* status)
{
    if (v.sqlind && *v.sqlind < 0) {
        valor = QVariant(tipoDoValor(d, politica));
        return true;
    }
    bool ok = true;
    switch (d.tipo) {
    case SQL_TEXT:
    case SQL_VARYING: valor = leTexto(v, d); break;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: valor = leNumero(v, d, politica); break;
    case SQL_FLOAT: valor = static_cast<double>(leNativo<float>(v.sqldata)); break;
    case SQL_DOUBLE:
    case SQL_D_FLOAT: valor = leNativo<double>(v.sqldata); break;
    case SQL_TYPE_DATE: valor = dataDe(leNativo<ISC_DATE>(v.sqldata)); break;
    case SQL_TYPE_TIME: valor = horaDe(leNativo<ISC_TIME>(v.sqldata)); break;
    case SQL_TIMESTAMP: {
        const auto ts = leNativo<ISC_TIMESTAMP>(v.sqldata);
        valor = QDateTime(dataDe(ts.timestamp_date), horaDe(ts.timestamp_time));
        break;
    }
    case SQL_BOOLEAN: valor = leNativo<FB_BOOLEAN>(v.sqldata) != FB_FALSE; break;
    case SQL_BLOB: valor = leBlob(v, d, conexao, status, ok); break;
    default: valor = QVariant(); break; // arrays and the type of a bare NULL
    }
    return ok;
}

bool vincula(XSQLVAR& v, const TipoDescrito& d, const QVariant& valor, QByteArray& memoria,
             short& indicador, ConexaoFirebird& conexao, ISC_STATUS* erroServidor, QString& erro)
{
    v.sqlind = &indicador;
    indicador = 0;
    const int tipoValor = valor.typeId();
    const bool invalido = (tipoValor == QMetaType::QDate && !valor.toDate().isValid())
        || (tipoValor == QMetaType::QTime && !valor.toTime().isValid())
        || (tipoValor == QMetaType::QDateTime && !valor.toDateTime().isValid());
    bool ok = true;
    if (valor.isNull() || invalido) {
        preparaNulo(v, d, memoria, indicador);
    } else if (d.tipo == SQL_BLOB) {
        const QByteArray conteudo = tipoValor == QMetaType::QByteArray ? valor.toByteArray()
                                                                       : valor.toString().toUtf8();
        ISC_QUAD id;
        if (!BlobFirebird::grava(conexao, conteudo, id, erroServidor))
            return false;
        preparaFixo(v, SQL_BLOB, id, memoria);
        v.sqlsubtype = d.subtipo;
    } else {
        switch (tipoValor) {
        case QMetaType::Bool:
            if (d.tipo == SQL_BOOLEAN)
                preparaFixo(v, SQL_BOOLEAN, static_cast<FB_BOOLEAN>(valor.toBool() ? FB_TRUE : FB_FALSE), memoria);
            else
                preparaFixo(v, SQL_INT64, static_cast<ISC_INT64>(valor.toBool() ? 1 : 0), memoria);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            ok = vinculaInteiro(v, d, valor.toLongLong(), memoria);
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            if (valor.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
                ok = preparaTexto(v, valor.toString().toUtf8(), kCharsetUtf8, memoria, erro);
            else
                ok = vinculaInteiro(v, d, valor.toLongLong(), memoria);
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            ok = vinculaDouble(v, d, valor.toDouble(), memoria, erro);
            break;
        case QMetaType::QDate:
            preparaFixo(v, SQL_TYPE_DATE,
                        static_cast<ISC_DATE>(valor.toDate().toJulianDay() - kJulianoDaDataZero), memoria);
            break;
        case QMetaType::QTime:
            preparaFixo(v, SQL_TYPE_TIME,
                        static_cast<ISC_TIME>(valor.toTime().msecsSinceStartOfDay()) * kFracoesPorMilissegundo,
                        memoria);
            break;
        case QMetaType::QDateTime:
            preparaFixo(v, SQL_TIMESTAMP, timestampDe(valor.toDateTime()), memoria);
            break;
        case QMetaType::QByteArray:
            ok = preparaTexto(v, valor.toByteArray(),
                              ehTexto(d.tipo) && charset(d) == kCharsetOctets ? kCharsetOctets : kCharsetUtf8,
                              memoria, erro);
            break;
        default:
            if (!valor.canConvert<QString>()) {
                erro = QStringLiteral("Valor do tipo %1 não pode ser passado como parâmetro.")
                           .arg(QString::fromLatin1(valor.metaType().name()));
                return false;
            }
            ok = preparaTexto(v, valor.toString().toUtf8(), kCharsetUtf8, memoria, erro);
            break;
        }
    }
    v.sqldata = memoria.data();
    return ok;
}

} // namespace ConversaoFirebird
