CREATE TABLE g_notiz (nr INTEGER, notiz VARCHAR(60), kurz VARCHAR(20));
INSERT INTO g_notiz VALUES (1, 'Lieferung
nach Köln', 'ohne'), (2, 'eine Zeile', 'zwei

Leerzeilen');
