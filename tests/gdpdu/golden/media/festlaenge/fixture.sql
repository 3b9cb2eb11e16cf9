CREATE TABLE g_artikel (nr TEXT, bez TEXT, preis DECIMAL(10,2), datum DATE, bestand INTEGER);
INSERT INTO g_artikel VALUES ('A-0001', 'Käse Gouda', 1234.5, '2026-03-01', 12), ('A-0002', 'Müsli', 3.99, '2026-06-15', NULL), ('A-0003', 'Grüße Öl Ärger', 0.5, '2026-12-31', 7);
CREATE TABLE g_kasse (nr INTEGER, name TEXT, datum DATE);
INSERT INTO g_kasse VALUES (1, 'Kasse', '2026-03-01'), (2, 'Bank', '2026-04-30');
