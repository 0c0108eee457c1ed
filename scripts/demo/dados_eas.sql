-- Kitchen events of the demo waiting in the EAS host table FTOHOST when the
-- demo is created (@HOJE@ is today's date, yyyymmdd): lot 4711 started on
-- machine M01 with 2.35 kg of CR-AZ01 weighed for it, and lot 4713 given
-- the first place in the queue of machine M02. Lot 4711 stays held back
-- until the kitchen finishes it: scripts/demo/cozinha-eas.sh posts that, and
-- more, while the monitor runs. One statement per semicolon.

INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('80', 'X', 'CZ0004711|K1||M01|@HOJE@|0800|', 'F');
INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('89', 'X', 'PES0004711|||CR-AZ01|||235000000|||||||9|', 'F');
INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('95', 'X', 'AXM02|4713|||1|', 'F');

COMMIT;
