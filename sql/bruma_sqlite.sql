-- Machine-queue tables of the Bruma machines, SQLite (reached through the
-- SQLite ODBC driver). Same columns as bruma_postgres.sql.
-- One statement per semicolon.

CREATE TABLE ENCADEAMENTO (
  NOME          VARCHAR(20) NOT NULL PRIMARY KEY,
  RECEITA1      VARCHAR(30),
  RECEITA2      VARCHAR(30),
  RECEITA3      VARCHAR(30),
  RECEITA4      VARCHAR(30),
  RECEITA5      VARCHAR(30)
);

CREATE TABLE OB (
  NUMEROOB      VARCHAR(20) NOT NULL,
  PECAS         VARCHAR(20),
  MAQUINA       VARCHAR(10),
  CLIENTE       VARCHAR(50),
  PESO          VARCHAR(20),
  ENCADEAMENTO  VARCHAR(20),
  COR           VARCHAR(20),
  RGB           INTEGER,
  STATUSTERMINO VARCHAR(2),
  POSICAO       INTEGER,
  DATAPROG      VARCHAR(30),
  DATAINICIO    VARCHAR(30),
  DATAFIM       VARCHAR(30),
  TOTALRECEITAS INTEGER,
  RECEITA01     VARCHAR(30),
  RECEITA02     VARCHAR(30),
  RECEITA03     VARCHAR(30),
  RECEITA04     VARCHAR(30),
  RECEITA05     VARCHAR(30),
  TEMPOTOTAL    INTEGER,
  TEMPOPROG     INTEGER
);
-- The pass looks a lot up by NUMEROOB and a machine's queue by MAQUINA: without
-- these indexes each lot reads the whole queue, and a pass grows quadratic.
CREATE INDEX OB_NUMEROOB ON OB (NUMEROOB);
CREATE INDEX OB_MAQUINA ON OB (MAQUINA);
