-- The counter's tables for MySQL/MariaDB, for those who create them by hand; the scripts
-- create the same tables on first use when they are missing. Values are stored as bytes.
-- Page and referer rows are found by the SHA-1 of their values, which keeps the unique
-- keys short on every server.

CREATE TABLE IF NOT EXISTS tallywick_pages (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  urlhash BINARY(20) NOT NULL,          -- SHA-1 of url
  url VARBINARY(1000) NOT NULL,         -- scheme://host/path of the page
  hits INT UNSIGNED NOT NULL DEFAULT 0,
  UNIQUE KEY urlhash (urlhash)
);

CREATE TABLE IF NOT EXISTS tallywick_referers (
  id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
  page INT UNSIGNED NOT NULL,           -- tallywick_pages.id
  refhash BINARY(20) NOT NULL,          -- SHA-1 of advertising, domain and keyword
  domain VARBINARY(1000) NOT NULL,      -- referring host, lower case, without "www."
  keyword VARBINARY(1000) NOT NULL,     -- search words, empty when none
  advertising TINYINT NOT NULL,         -- 1 for an ad click
  hits INT UNSIGNED NOT NULL DEFAULT 0,
  UNIQUE KEY pageref (page, refhash)
);

CREATE TABLE IF NOT EXISTS tallywick_hours (
  hour INT UNSIGNED NOT NULL PRIMARY KEY,     -- Unix time of the hour's start, UTC
  hits INT UNSIGNED NOT NULL DEFAULT 0,       -- views counted in the hour, all pages together
  robots INT UNSIGNED NOT NULL DEFAULT 0,     -- views by robots, which count nowhere else
  newpages INT UNSIGNED NOT NULL DEFAULT 0,   -- page records made in the hour
  newreferers INT UNSIGNED NOT NULL DEFAULT 0 -- referer records made in the hour
);

CREATE TABLE IF NOT EXISTS tallywick_page_hours (
  page INT UNSIGNED NOT NULL,                 -- tallywick_pages.id
  hour INT UNSIGNED NOT NULL,                 -- Unix time of the hour's start, UTC
  hits INT UNSIGNED NOT NULL DEFAULT 0,       -- views of the page in the hour
  PRIMARY KEY (page, hour)
);
