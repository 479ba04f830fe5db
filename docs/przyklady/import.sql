-- Wczytuje faktury.csv i pozycje.csv (z bieżącego folderu) do bazy korpusu.
-- Uruchom w folderze z plikami CSV: sqlite3 firma.db < import.sql
.bail on
.mode csv
.separator ;
CREATE TEMP TABLE faktury_csv (numer TEXT, data TEXT, kontrahent TEXT, rejestr TEXT);
CREATE TEMP TABLE pozycje_csv (numer TEXT, rejestr TEXT, lp TEXT, nazwa TEXT, symbol TEXT, ilosc TEXT);
.import --skip 1 --schema temp faktury.csv faktury_csv
.import --skip 1 --schema temp pozycje.csv pozycje_csv
BEGIN;
-- Pozycje trafią tylko do faktur dopisanych teraz, nie do starszych o tym samym numerze.
CREATE TEMP TABLE poprzednie AS SELECT coalesce(max(id), 0) AS ostatni FROM invoices;
INSERT INTO invoices (register, number, issued, counterparty)
  SELECT CASE rejestr WHEN 'sprzedaż' THEN 'sales' WHEN 'zakup' THEN 'purchase' END,
         numer, data, kontrahent
  FROM faktury_csv;
INSERT INTO invoice_positions (invoice_id, line, name, symbol, quantity)
  SELECT f.id, CAST(p.lp AS INTEGER), p.nazwa, p.symbol,
         CAST(round(CAST(replace(p.ilosc, ',', '.') AS REAL) * 1000) AS INTEGER)
  FROM pozycje_csv AS p
  JOIN invoices AS f
    ON f.number = p.numer
   AND f.register = CASE p.rejestr WHEN 'sprzedaż' THEN 'sales' WHEN 'zakup' THEN 'purchase' END
   AND f.id > (SELECT ostatni FROM poprzednie);
COMMIT;
-- Pozycje, których faktury nie ma w faktury.csv, zostały pominięte: wypisz je.
.mode list
SELECT 'Pominięto pozycję ' || lp || ' faktury ' || numer || ' (' || rejestr || '): brak jej w faktury.csv'
  FROM pozycje_csv AS p
  WHERE NOT EXISTS (SELECT 1 FROM faktury_csv AS f WHERE f.numer = p.numer AND f.rejestr = p.rejestr);
