<?php
// The counter's two tables and everything that reads or writes them: counting a view,
// the page list, the referers of a page, deleting pages.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

require_once __DIR__ . '/database.php';

// Longer values are cut: a stored value never grows an answer without bound.
const MAX_VALUE_BYTES = 1000;

// Connecting and every wait on the database. A page view gives up soon, so that a hung
// server never holds a page up for long; the program's requests may wait for long work.
const VIEW_TIMEOUT_SECONDS = 1;
const ACTION_TIMEOUT_SECONDS = 30;

/** The database of config.php beside the scripts; throws when there is none. */
function open_database(int $timeoutSeconds): PDO
{
    $config = \Tallywick\read_config(__DIR__);
    if ($config === null) {
        throw new NoConfig();
    }
    $pdo = \Tallywick\connect($config, __DIR__, $timeoutSeconds);
    if (!is_sqlite($pdo)) {
        // Rows are read as they arrive, so a long list is not held twice. Placeholders are
        // filled in by PDO (the default), each value escaped for the binary connection: one
        // round trip a statement instead of two halves the time a counted view takes.
        $pdo->setAttribute(PDO::MYSQL_ATTR_USE_BUFFERED_QUERY, false);
        $pdo->setAttribute(PDO::ATTR_EMULATE_PREPARES, true);
    }
    return $pdo;
}

final class NoConfig extends \RuntimeException
{
}

function is_sqlite(PDO $pdo): bool
{
    return $pdo->getAttribute(PDO::ATTR_DRIVER_NAME) === 'sqlite';
}

/** The statements that create the tables where they are missing (schema.sql holds the same). */
function schema(PDO $pdo): array
{
    if (is_sqlite($pdo)) {
        return [
            'CREATE TABLE IF NOT EXISTS tallywick_pages (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                urlhash BLOB NOT NULL UNIQUE,
                url BLOB NOT NULL,
                hits INTEGER NOT NULL DEFAULT 0)',
            'CREATE TABLE IF NOT EXISTS tallywick_referers (
                id INTEGER PRIMARY KEY AUTOINCREMENT,
                page INTEGER NOT NULL,
                refhash BLOB NOT NULL,
                domain BLOB NOT NULL,
                keyword BLOB NOT NULL,
                advertising INTEGER NOT NULL,
                hits INTEGER NOT NULL DEFAULT 0,
                UNIQUE (page, refhash))',
        ];
    }
    return [
        'CREATE TABLE IF NOT EXISTS tallywick_pages (
            id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
            urlhash BINARY(20) NOT NULL,
            url VARBINARY(1000) NOT NULL,
            hits INT UNSIGNED NOT NULL DEFAULT 0,
            UNIQUE KEY urlhash (urlhash))',
        'CREATE TABLE IF NOT EXISTS tallywick_referers (
            id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY,
            page INT UNSIGNED NOT NULL,
            refhash BINARY(20) NOT NULL,
            domain VARBINARY(1000) NOT NULL,
            keyword VARBINARY(1000) NOT NULL,
            advertising TINYINT NOT NULL,
            hits INT UNSIGNED NOT NULL DEFAULT 0,
            UNIQUE KEY pageref (page, refhash))',
    ];
}

/** Runs $work, creating the tables first if it fails for want of them. */
function with_counter_tables(PDO $pdo, callable $work): mixed
{
    return \Tallywick\with_tables($pdo, __NAMESPACE__ . '\schema', $work);
}

// ---------------------------------------------------------------------------------------
// Values as they are stored

/**
 * A value as it may be stored: the bytes that would break an answer (comma, "^", double
 * quote, control characters) percent-encoded, then cut to MAX_VALUE_BYTES without tearing
 * an escape or a UTF-8 character.
 */
function storable(string $value): string
{
    $value = preg_replace_callback(
        '/[\x00-\x1F\x7F,^"]/',
        static fn (array $m): string => sprintf('%%%02X', ord($m[0])),
        $value
    );
    if (strlen($value) <= MAX_VALUE_BYTES) {
        return $value;
    }
    $value = substr($value, 0, MAX_VALUE_BYTES);
    if ($value[-1] === '%') {
        $value = substr($value, 0, -1);
    } elseif ($value[-2] === '%') {
        $value = substr($value, 0, -2);
    }
    // Drop a UTF-8 character whose last bytes were cut off.
    $lead = strlen($value) - 1;
    while ($lead > 0 && (ord($value[$lead]) & 0xC0) === 0x80) {
        --$lead;
    }
    $byte = ord($value[$lead] ?? "\0");
    $length = $byte >= 0xF0 ? 4 : ($byte >= 0xE0 ? 3 : ($byte >= 0xC0 ? 2 : 1));
    if ($byte >= 0xC0 && strlen($value) - $lead < $length) {
        $value = substr($value, 0, $lead);
    }
    return $value;
}

/** A host as it is compared and stored: lower case, without port, trailing dot or "www.". */
function normal_host(string $host): string
{
    $host = strtolower(trim($host));
    if ($host !== '' && $host[0] !== '[') {
        $colon = strrpos($host, ':');
        if ($colon !== false) {
            $host = substr($host, 0, $colon);
        }
    }
    $host = rtrim($host, '.');
    return str_starts_with($host, 'www.') ? substr($host, 4) : $host;
}

/** The parameters of a query string, first occurrence of each name, names in lower case. */
function query_parameters(string $query): array
{
    $parameters = [];
    foreach (explode('&', $query) as $piece) {
        if ($piece === '') {
            continue;
        }
        $pair = explode('=', $piece, 2);
        $name = strtolower(urldecode($pair[0]));
        if (!array_key_exists($name, $parameters)) {
            $parameters[$name] = urldecode($pair[1] ?? '');
        }
    }
    return $parameters;
}

// ---------------------------------------------------------------------------------------
// Counting a view

// Parameters in which search engines carry what was searched for, in the order tried.
const KEYWORD_PARAMETERS = [
    'q', 'p', 'query', 'text', 'wd', 'word', 'words', 'k', 'kw', 'keyword', 'keywords',
    'searchfor', 'search', 'qt', 'qs', 'terms', 'encquery', 'su', 'mt',
];

// Landing parameters that ad networks add to the clicks they pay for.
const AD_CLICK_PARAMETERS = ['gclid', 'gbraid', 'wbraid', 'fbclid', 'msclkid', 'dclid'];
const AD_MEDIUMS = ['cpc', 'ppc', 'paid', 'paidsearch', 'cpm', 'display', 'banner'];

// Hosts that serve ads; a referer from one of them or a subdomain is an ad click.
const AD_HOSTS = [
    'doubleclick.net', 'googleadservices.com', 'googlesyndication.com', 'adservice.google.com',
    'adnxs.com', 'criteo.com', 'criteo.net', 'taboola.com', 'outbrain.com',
    'amazon-adsystem.com', 'adform.net', 'media.net', 'pubmatic.com', 'rubiconproject.com',
    'adroll.com', 'advertising.com',
];

const ROBOT_MARKS = ['bot', 'crawl', 'spider', 'slurp'];

function is_robot(string $userAgent): bool
{
    if (trim($userAgent) === '') {
        return true;
    }
    foreach (ROBOT_MARKS as $mark) {
        if (stripos($userAgent, $mark) !== false) {
            return true;
        }
    }
    return false;
}

function is_ad_host(string $host): bool
{
    foreach (AD_HOSTS as $adHost) {
        if ($host === $adHost || str_ends_with($host, '.' . $adHost)) {
            return true;
        }
    }
    return false;
}

function is_ad_landing(array $landingParameters): bool
{
    foreach (AD_CLICK_PARAMETERS as $name) {
        if (array_key_exists($name, $landingParameters)) {
            return true;
        }
    }
    $medium = strtolower(trim($landingParameters['utm_medium'] ?? ''));
    return in_array($medium, AD_MEDIUMS, true);
}

function search_keyword(array $refererParameters): string
{
    foreach (KEYWORD_PARAMETERS as $name) {
        $keyword = trim($refererParameters[$name] ?? '');
        if ($keyword !== '') {
            return $keyword;
        }
    }
    return '';
}

/**
 * What one request records: the page URL, and the referer (domain, keyword, advertising)
 * or null. Null as a whole when the request is not a countable view.
 */
function describe_view(array $server): ?array
{
    if (is_robot((string)($server['HTTP_USER_AGENT'] ?? ''))) {
        return null;
    }
    $uri = (string)($server['REQUEST_URI'] ?? '');
    if ($uri === '') {
        return null;
    }
    // An absolute request target ("GET http://host/path") carries its own host.
    $uri = preg_replace('~^[A-Za-z][A-Za-z0-9+.-]*://[^/?#]*~', '', $uri);
    $pathLength = strcspn($uri, '?#');
    $path = $pathLength === 0 ? '/' : substr($uri, 0, $pathLength);
    $query = '';
    if (($uri[$pathLength] ?? '') === '?') {
        $query = substr($uri, $pathLength + 1);
        $query = substr($query, 0, strcspn($query, '#'));
    }

    $host = strtolower(trim((string)($server['HTTP_HOST'] ?? '')));
    if ($host === '') {
        $host = strtolower((string)($server['SERVER_NAME'] ?? 'localhost'));
    }
    $https = strtolower((string)($server['HTTPS'] ?? ''));
    $secure = ($https !== '' && $https !== 'off') || strtolower((string)($server['REQUEST_SCHEME'] ?? '')) === 'https';
    $scheme = $secure ? 'https' : 'http';

    $view = ['url' => storable($scheme . '://' . $host . $path), 'referer' => null];

    $referer = (string)($server['HTTP_REFERER'] ?? '');
    if ($referer === '') {
        return $view;
    }
    $parts = parse_url($referer);
    $refererHost = normal_host(is_array($parts) ? (string)($parts['host'] ?? '') : '');
    if ($refererHost === '' || $refererHost === normal_host($host)) {
        return $view;
    }
    $view['referer'] = [
        'domain' => storable($refererHost),
        'keyword' => storable(search_keyword(query_parameters((string)($parts['query'] ?? '')))),
        'advertising' => (is_ad_landing(query_parameters($query)) || is_ad_host($refererHost)) ? 1 : 0,
    ];
    return $view;
}

/** Records one view described by describe_view. */
function record_view(PDO $pdo, array $view): void
{
    with_counter_tables($pdo, static function (PDO $pdo) use ($view): void {
        $referer = $view['referer'];
        // A view without a referer is one statement; with one, both rows change together.
        if ($referer !== null) {
            $pdo->beginTransaction();
        }
        $pageId = count_page($pdo, $view['url']);
        if ($referer !== null) {
            $refHash = sha1($referer['advertising'] . "\n" . $referer['domain'] . "\n" . $referer['keyword'], true);
            $upsert = is_sqlite($pdo)
                ? 'ON CONFLICT (page, refhash) DO UPDATE SET hits = hits + 1'
                : 'ON DUPLICATE KEY UPDATE hits = hits + 1';
            $pdo->prepare(
                "INSERT INTO tallywick_referers (page, refhash, domain, keyword, advertising, hits)
                 VALUES (?, ?, ?, ?, ?, 1) $upsert"
            )->execute([$pageId, $refHash, $referer['domain'], $referer['keyword'], $referer['advertising']]);
            $pdo->commit();
        }
    });
}

/** Adds one hit to the page of this URL, making its record if it has none; its code. */
function count_page(PDO $pdo, string $url): int
{
    if (is_sqlite($pdo)) {
        $page = $pdo->prepare(
            'INSERT INTO tallywick_pages (urlhash, url, hits) VALUES (?, ?, 1)
             ON CONFLICT (urlhash) DO UPDATE SET hits = hits + 1 RETURNING id'
        );
        $page->execute([sha1($url, true), $url]);
        $pageId = (int)$page->fetchColumn();
        $page->closeCursor();
        return $pageId;
    }
    $pdo->prepare(
        'INSERT INTO tallywick_pages (urlhash, url, hits) VALUES (?, ?, 1)
         ON DUPLICATE KEY UPDATE hits = hits + 1, id = LAST_INSERT_ID(id)'
    )->execute([sha1($url, true), $url]);
    return (int)$pdo->lastInsertId();
}

// ---------------------------------------------------------------------------------------
// Answers of actions.php

/** Records of quoted values joined by "^" and closed by "^OK"; "OK" alone without any. */
function list_answer(\PDOStatement $rows): string
{
    $answer = '';
    while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
        $answer .= '"' . implode('","', $row) . '"^';
    }
    return $answer === '' ? 'OK' : $answer . 'OK';
}

function page_list(PDO $pdo): string
{
    return with_counter_tables($pdo, static function (PDO $pdo): string {
        $rows = $pdo->prepare('SELECT id, url, hits FROM tallywick_pages ORDER BY id');
        $rows->execute();
        return list_answer($rows);
    });
}

/**
 * The referers of one page of one kind (advertising or not): one row per (domain, keyword)
 * pair, per domain, or per keyword, most hits first. The type flag is "1" for
 * non-advertising referers, "2" for advertising ones; a grouped row carries the lowest
 * record code of its group.
 */
function referer_list(PDO $pdo, int $page, int $queryType, bool $advertising): string
{
    // Grouped and sorted here, not in the database: databases sort rows that carry long byte
    // values slowly (a page with 100,000 referers took several times as long), and this way
    // both databases give the same order.
    $rows = with_counter_tables($pdo, static function (PDO $pdo) use ($page, $advertising): \PDOStatement {
        $rows = $pdo->prepare(
            'SELECT id, domain, keyword, hits FROM tallywick_referers WHERE page = ? AND advertising = ?'
        );
        $rows->execute([$page, $advertising ? 1 : 0]);
        return $rows;
    });
    $flag = $advertising ? '2' : '1';
    $records = [];
    if ($queryType === 0) {
        // Hit counts are few distinct numbers: rows go into one bucket per count.
        $byHits = [];
        while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
            [$id, $domain, $keyword, $hits] = $row;
            $byHits[(int)$hits][] = "\"$id\",\"$domain\",\"$keyword\",\"$flag\",\"$hits\"";
        }
        krsort($byHits, SORT_NUMERIC);
        foreach ($byHits as $bucket) {
            $records[] = implode('^', $bucket);
        }
    } else {
        $column = $queryType === 1 ? 1 : 2;
        $sums = $firstCodes = [];
        while (($row = $rows->fetch(PDO::FETCH_NUM)) !== false) {
            $key = $row[$column];
            $sums[$key] = ($sums[$key] ?? 0) + (int)$row[3];
            $firstCodes[$key] = min($firstCodes[$key] ?? PHP_INT_MAX, (int)$row[0]);
        }
        arsort($sums, SORT_NUMERIC);
        foreach ($sums as $key => $total) {
            // A key that looks like a number came back as an integer; it prints the same.
            [$domain, $keyword] = $queryType === 1 ? [$key, ''] : ['', $key];
            $records[] = "\"$firstCodes[$key]\",\"$domain\",\"$keyword\",\"$flag\",\"$total\"";
        }
    }
    return $records === [] ? 'OK' : implode('^', $records) . '^OK';
}

/** Deletes the pages with these codes and their referers; null deletes every page. */
function delete_pages(PDO $pdo, ?array $pageIds): void
{
    with_counter_tables($pdo, static function (PDO $pdo) use ($pageIds): void {
        $pdo->beginTransaction();
        if ($pageIds === null) {
            $pdo->prepare('DELETE FROM tallywick_referers')->execute();
            $pdo->prepare('DELETE FROM tallywick_pages')->execute();
        } else {
            foreach (array_chunk(array_values(array_unique($pageIds)), 500) as $chunk) {
                $marks = implode(',', array_fill(0, count($chunk), '?'));
                $pdo->prepare("DELETE FROM tallywick_referers WHERE page IN ($marks)")->execute($chunk);
                $pdo->prepare("DELETE FROM tallywick_pages WHERE id IN ($marks)")->execute($chunk);
            }
        }
        $pdo->commit();
    });
}

/** Throws unless the database answers a query on both tables (creating them if missing). */
function probe_tables(PDO $pdo): void
{
    with_counter_tables($pdo, static function (PDO $pdo): void {
        foreach (['tallywick_pages', 'tallywick_referers'] as $table) {
            $probe = $pdo->prepare("SELECT id FROM $table WHERE id = 0");
            $probe->execute();
            $probe->fetchAll();
        }
    });
}
