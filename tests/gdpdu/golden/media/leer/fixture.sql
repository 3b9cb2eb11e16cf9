CREATE TABLE g_leer (nr INTEGER, name VARCHAR(20));
CREATE TABLE g_firma (nr INTEGER, name VARCHAR(20));
INSERT INTO g_firma VALUES (1, 'Norvik Handels GmbH');
