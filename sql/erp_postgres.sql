-- ERP tables that Quelix reads and writes, PostgreSQL: the same tables as
-- erp_firebird.sql, for running the statements after their translation to
-- PostgreSQL. Names are unquoted, so PostgreSQL folds them to lower case,
-- as it does with the unquoted names of the statements.
-- One statement per semicolon.

-- Lots and their items
CREATE TABLE FAL_001 (
  NUMERO        VARCHAR(20) NOT NULL PRIMARY KEY,
  ROTEIRO       VARCHAR(10),
  COR           VARCHAR(20),
  TIPO          VARCHAR(3),
  MAQUINA       VARCHAR(10),
  CLIENTE       VARCHAR(10),
  PARTIDA       VARCHAR(20),
  VARIANTE      VARCHAR(20),
  OBS           VARCHAR(1000),
  ESTAMPA       VARCHAR(30),
  FIBRA1        NUMERIC(15,3),
  FIBRA2        NUMERIC(15,3),
  ORDEM         INTEGER,
  STATUS_QX     VARCHAR(1),
  STATUS_EAS30  VARCHAR(1),
  -- one flag per EAS-linked phase (FASE_001.PROCESSO_EAS)
  STATUS_EAS35  VARCHAR(1),
  STATUS_EAS36  VARCHAR(1)
);

CREATE TABLE FAL_ITEN_001 (
  FAL           VARCHAR(20) NOT NULL,
  ORD_IT        INTEGER NOT NULL,
  CODIGO        VARCHAR(20),
  PESO          NUMERIC(15,3),
  ROLO          INTEGER,
  LOTE          VARCHAR(20),
  NOTA          VARCHAR(20),
  GRAMATURA     NUMERIC(15,3),
  LARGURA       NUMERIC(15,3),
  FLUXO         VARCHAR(10),
  PRIMARY KEY (FAL, ORD_IT)
);

-- Materials and stock
CREATE TABLE GRUPO_MA_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  DESP          VARCHAR(1)
);

CREATE TABLE MATERIAL_001 (
  CODIGO        VARCHAR(20) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(120),
  GRUPO         VARCHAR(10),
  REPOSICAO     NUMERIC(15,3),
  PRECO         NUMERIC(15,4),
  CONCENTRACAO  NUMERIC(15,4),
  NE            NUMERIC(15,3),
  STATUS_EAS33  VARCHAR(1)
);

-- Dyes and chemicals known to the colour kitchen, with their dosing unit
CREATE TABLE MAT_TIN_001 (
  CODIGO        VARCHAR(20) NOT NULL,
  UNIDADE       VARCHAR(5)
);

CREATE TABLE DEPOSITO_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  PRIORIDADE    VARCHAR(1)
);

CREATE TABLE MAT_ITEN_001 (
  CODIGO        VARCHAR(20) NOT NULL,
  COR           VARCHAR(20) NOT NULL,
  LOTE          VARCHAR(20) NOT NULL,
  DEPOSITO      VARCHAR(10) NOT NULL,
  QTDE          NUMERIC(15,3),
  PRECO_MED     NUMERIC(15,4),
  PRIMARY KEY (CODIGO, COR, LOTE, DEPOSITO)
);

CREATE TABLE MAT_MOV_001 (
  CODIGO        VARCHAR(20),
  COR           VARCHAR(20),
  QTDE          NUMERIC(15,3),
  CUSTO         NUMERIC(15,4),
  DEPOSITO      VARCHAR(10),
  DT_MOVTO      DATE,
  GRUPO         VARCHAR(10),
  NUM_DOCTO     VARCHAR(20),
  OPERACAO      VARCHAR(1),
  PRECO         NUMERIC(15,4),
  LOTE          VARCHAR(20),
  DESCRICAO     VARCHAR(60),
  MAQUINA       VARCHAR(10),
  ORDEM         INTEGER,
  CODCRE        VARCHAR(20),
  STATUS_EAS34  VARCHAR(1)
);

-- Products, customers, colours
CREATE TABLE FAMILIA_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60)
);

CREATE TABLE PRODUTO_001 (
  CODIGO        VARCHAR(20) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(120),
  FAMILIA       VARCHAR(10),
  COMP1         VARCHAR(60),
  COMP2         VARCHAR(60),
  STATUS_EAS40  VARCHAR(1)
);

CREATE TABLE ENTIDADE_001 (
  CODCLI        VARCHAR(10) NOT NULL PRIMARY KEY,
  NOME          VARCHAR(100),
  ATIVO         VARCHAR(1),
  TIPO_ENTIDADE VARCHAR(2),
  STATUS_EAS42  VARCHAR(1)
);

-- COR_SIS is the colour's RGB value as the ERP keeps it: text
CREATE TABLE CADCORTIN_001 (
  CODIGO        VARCHAR(20) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  COR_SIS       VARCHAR(20),
  STATUS_EAS41  VARCHAR(1)
);

-- Routes, phases and the dyeing process of each lot
CREATE TABLE FASE_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  GRUPO         VARCHAR(10),
  ATUALIZAR     VARCHAR(1),
  PROCESSO_EAS  VARCHAR(10),
  MENSAGEM_EAS  VARCHAR(100)
);

-- one row per phase of a route
CREATE TABLE ROTEIRO_001 (
  CODIGO        VARCHAR(10) NOT NULL,
  FASE          VARCHAR(10),
  DESCRICAO     VARCHAR(60)
);

CREATE TABLE PROCESSO_TIN_001 (
  FAL           VARCHAR(20) NOT NULL,
  ORD_IT        INTEGER,
  FASE          VARCHAR(10) NOT NULL,
  CONCLUIDO     VARCHAR(1),
  PENDENTE      VARCHAR(1),
  DATA_INI      DATE,
  HORA_INI      TIME,
  DATA_FIN      DATE,
  HORA_FIN      TIME,
  DATA          DATE,
  MAQUINA       VARCHAR(10),
  FUNCIONARIO   VARCHAR(10),
  TURNO         VARCHAR(2),
  TEMPO         VARCHAR(12),
  GRAFICO       VARCHAR(10)
);
-- The kitchen's lot start and end events update a lot's process rows by
-- FAL: without this index each event reads the whole table.
CREATE INDEX PROCESSO_TIN_001_FAL ON PROCESSO_TIN_001 (FAL);

-- DIA: 1 = Sunday .. 7 = Saturday; a night shift has ENTRADA later than SAIDA
CREATE TABLE TURNO_HORARIOS_001 (
  DIA           INTEGER NOT NULL,
  TURNO         VARCHAR(2) NOT NULL,
  ENTRADA       TIME,
  SAIDA         TIME
);

-- Machines, baths, consumptions and machine programmes
CREATE TABLE BANHO_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  PROPORCAO     NUMERIC(15,4)
);

CREATE TABLE MAQ_TIN_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  TIPO          VARCHAR(10),
  RELAC_BANHO   VARCHAR(10)
);

CREATE TABLE MAQ_TIN_CAP_001 (
  MAQUINA       VARCHAR(10) NOT NULL,
  VARIANTE      VARCHAR(20) NOT NULL,
  RELAC_BANHO   VARCHAR(10)
);

CREATE TABLE TNG_CONSUMOS_001 (
  FAL           VARCHAR(20) NOT NULL,
  ORDEM         INTEGER,
  PASSO         VARCHAR(5),
  CODIGO        VARCHAR(20),
  CONSUMO       NUMERIC(15,4),
  UNIDADE       VARCHAR(5),
  BANHO         VARCHAR(10),
  TIPO          VARCHAR(1)
);

CREATE TABLE TNG_PROG_001 (
  FAL           VARCHAR(20) NOT NULL,
  MAQUINA       VARCHAR(10)
);
-- The kitchen's machine change and queue events update a lot's programme
-- by FAL: without this index each event reads the whole table.
CREATE INDEX TNG_PROG_001_FAL ON TNG_PROG_001 (FAL);

-- Recipes by colour and variant, and the process graphs they use
CREATE TABLE GRAFICO_001 (
  CODIGO        VARCHAR(10) NOT NULL PRIMARY KEY,
  DESCRICAO     VARCHAR(60),
  TEMPO         VARCHAR(8)
);

CREATE TABLE RECEITA_001 (
  COR           VARCHAR(20) NOT NULL,
  VARIANTE      VARCHAR(20) NOT NULL,
  GRAFICO       VARCHAR(10)
);

-- Web-service queue filled by the ERP. ORDEM identifies a row but is not
-- enforced unique: the ERP may repeat it. STATUS: NULL/0 pending, 1 handled,
-- 2 failed, 3 cleared by the operator.
CREATE TABLE QX_INTEGRA (
  ORDEM         INTEGER,
  TIPO          VARCHAR(2),
  OPERACAO      VARCHAR(1),
  CAMPO1        VARCHAR(200),
  CAMPO2        VARCHAR(200),
  CAMPO3        VARCHAR(200),
  STATUS        INTEGER
);
-- Each status update picks its row by ORDEM: without this index every update
-- reads the whole queue, which only grows.
CREATE INDEX QX_INTEGRA_ORDEM ON QX_INTEGRA (ORDEM);

-- The monitor's own: the number (NRECNO) of each kitchen event of FTOHOST
-- whose effects were applied to this ERP, written in the same transaction as
-- those effects. An event whose number is here is not applied again, only
-- marked read, so a run cut between the ERP's commit and the host's mark
-- books nothing twice.
CREATE TABLE QX_EAS_APLICADOS (
  NRECNO        BIGINT NOT NULL PRIMARY KEY,
  IDTIPO        VARCHAR(2),
  APLICADO      TIMESTAMP DEFAULT CURRENT_TIMESTAMP
);
