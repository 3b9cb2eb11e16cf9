CREATE TABLE g_vorlauf (nr INTEGER, text TEXT);
INSERT INTO g_vorlauf VALUES (1, 'Zahlung "Muster"'), (2, 'ohne');
