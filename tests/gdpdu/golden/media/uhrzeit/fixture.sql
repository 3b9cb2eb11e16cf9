CREATE TABLE g_zeit (nr INTEGER, beginn TIME, gebucht DATE);
INSERT INTO g_zeit VALUES (1, '08:30:00', '1899-12-30'), (2, '17:45:10', '2026-01-05'), (3, NULL, '2026-02-01');
