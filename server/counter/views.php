<?php
// Counting one view of a page: what the request says about it, and the rows it adds to.

declare(strict_types=1);

namespace Tallywick\Counter;

use PDO;

require_once __DIR__ . '/counterdb.php';

// New records an hour: past these, views of known pages and known referers still count,
// while a flood of made-up addresses neither grows the lists nor plants links in them.
const MAX_NEW_PAGES_PER_HOUR = 1000;
const MAX_NEW_REFERERS_PER_HOUR = 10000;

// Request headers with which browsers announce a page fetched ahead, which nobody may see.
const PREFETCH_HEADERS = ['HTTP_PURPOSE', 'HTTP_SEC_PURPOSE', 'HTTP_X_PURPOSE', 'HTTP_X_MOZ'];
const PREFETCH_MARKS = ['prefetch', 'prerender', 'preview'];

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

/** True for a request that shows a page to someone: GET or POST, not fetched ahead. */
function is_page_view(array $server): bool
{
    $method = strtoupper((string)($server['REQUEST_METHOD'] ?? ''));
    if ($method !== 'GET' && $method !== 'POST') {
        return false;
    }
    foreach (PREFETCH_HEADERS as $header) {
        $value = strtolower((string)($server[$header] ?? ''));
        foreach (PREFETCH_MARKS as $mark) {
            if ($value !== '' && str_contains($value, $mark)) {
                return false;
            }
        }
    }
    return true;
}

/**
 * A host as a page address carries it: lower case, without a trailing dot or the default
 * port of the scheme; null for anything that is no host name or address.
 */
function web_host(string $text, bool $secure): ?string
{
    $pattern = '~^(\[[0-9a-f:.]+\]|[a-z0-9_-]+(?:\.[a-z0-9_-]+)*\.?)(?::([0-9]{0,5}))?$~';
    if (strlen($text) > 260 || !preg_match($pattern, strtolower(trim($text)), $m)) {
        return null;
    }
    $name = rtrim($m[1], '.');
    $port = ltrim($m[2] ?? '', '0');
    return ($port === '' || $port === ($secure ? '443' : '80')) ? $name : "$name:$port";
}

/**
 * The address of the page that ran: the host the visitor asked for (the server's own name
 * when that is no host name) and the path of the script PHP ran, so that nothing a visitor
 * appends to the path makes a page of its own.
 */
function page_address(array $server): ?string
{
    $path = (string)($server['SCRIPT_NAME'] ?? '');
    $pathInfo = (string)($server['PATH_INFO'] ?? '');
    if ($pathInfo !== '' && str_ends_with($path, $pathInfo)) {
        $path = substr($path, 0, -strlen($pathInfo)); // a server that put the extra path into the name
    }
    if ($path === '' || $path[0] !== '/') {
        return null;
    }
    $https = strtolower((string)($server['HTTPS'] ?? ''));
    $secure = ($https !== '' && $https !== 'off') || strtolower((string)($server['REQUEST_SCHEME'] ?? '')) === 'https';
    $host = web_host((string)($server['HTTP_HOST'] ?? ''), $secure)
        ?? web_host((string)($server['SERVER_NAME'] ?? '') . ':' . (string)($server['SERVER_PORT'] ?? ''), $secure)
        ?? 'localhost';
    return ($secure ? 'https' : 'http') . '://' . $host . $path;
}

/**
 * What one request records: whether a robot made it, the page address, and the referer
 * (domain, keyword, advertising) or null. Null as a whole when the request is no page view.
 */
function describe_view(array $server): ?array
{
    $address = is_page_view($server) ? page_address($server) : null;
    if ($address === null) {
        return null;
    }
    $view = [
        'robot' => is_robot((string)($server['HTTP_USER_AGENT'] ?? '')),
        'url' => storable($address),
        'referer' => null,
    ];
    $referer = (string)($server['HTTP_REFERER'] ?? '');
    if ($view['robot'] || $referer === '') {
        return $view;
    }
    $parts = parse_url($referer);
    $refererHost = normal_host(is_array($parts) ? (string)($parts['host'] ?? '') : '');
    if ($refererHost === '' || $refererHost === normal_host((string)parse_url($address, PHP_URL_HOST))) {
        return $view;
    }
    $landing = query_parameters((string)($server['QUERY_STRING'] ?? ''));
    $view['referer'] = [
        'domain' => storable($refererHost),
        'keyword' => storable(search_keyword(query_parameters((string)($parts['query'] ?? '')))),
        'advertising' => (is_ad_landing($landing) || is_ad_host($refererHost)) ? 1 : 0,
    ];
    return $view;
}

/**
 * Counts the view of this request, if it is one. A view that cannot be stored is lost, and
 * leaves a marker that keeps the following views away from the database for a while.
 */
function count_request(array $server): void
{
    $view = describe_view($server);
    if ($view === null) {
        return;
    }
    $now = time();
    $failure = standing_failure();
    if (is_paused($failure, $now)) {
        return;
    }
    if ($failure !== null) {
        claim_retry($failure);
    }
    $config = null;
    try {
        $config = counter_config();
        record_view(open_database($config, true), $view, $now);
    } catch (\Throwable $error) {
        remember_failure(failure_word($error, database_file($config)));
        return;
    }
    if ($failure !== null) {
        forget_failure();
    }
}

// Outcomes of writing a view.
const VIEW_STORED = 0;
const TOO_MANY_NEW_PAGES = 1;
const TOO_MANY_NEW_REFERERS = 2;

/** Records one view described by describe_view, at the time $now. */
function record_view(PDO $pdo, array $view, int $now): void
{
    $hour = intdiv($now, 3600) * 3600;
    with_counter_tables($pdo, static function (PDO $pdo) use ($view, $hour): void {
        // Everything a view changes changes together. Past the hour's cap of new referers the
        // view still counts for its page, without the referer. MySQL may pick the view as the
        // one to give way when two transactions wait on each other; it tries once more then.
        for ($deadlocks = 0;;) {
            try {
                $pdo->beginTransaction();
                $outcome = write_view($pdo, $view, $hour);
            } catch (\PDOException $error) {
                if (($error->errorInfo[1] ?? null) !== 1213 || ++$deadlocks > 1) {
                    throw $error;
                }
                $pdo->rollBack();
                continue;
            }
            if ($outcome === VIEW_STORED) {
                $pdo->commit();
                return;
            }
            $pdo->rollBack();
            if ($outcome !== TOO_MANY_NEW_REFERERS) {
                return;
            }
            $view['referer'] = null;
        }
    });
}

/**
 * The statements of one view, inside a transaction that the caller ends: its outcome, which
 * is not VIEW_STORED when the view would make a record past the hour's cap. A robot's view
 * adds to the robots' hour alone.
 */
function write_view(PDO $pdo, array $view, int $hour): int
{
    if ($view['robot']) {
        count_hours($pdo, null, $hour, 0, 1, 0, 0);
        return VIEW_STORED;
    }
    [$pageId, $newPage] = count_page($pdo, $view['url']);
    $newReferer = $view['referer'] !== null && count_referer($pdo, $pageId, $view['referer']);
    [$newPages, $newReferers] = count_hours($pdo, $pageId, $hour, 1, 0, $newPage ? 1 : 0, $newReferer ? 1 : 0);
    if ($newPage && $newPages > MAX_NEW_PAGES_PER_HOUR) {
        return TOO_MANY_NEW_PAGES;
    }
    if ($newReferer && $newReferers > MAX_NEW_REFERERS_PER_HOUR) {
        return TOO_MANY_NEW_REFERERS;
    }
    return VIEW_STORED;
}

/** Adds one hit to the page of this URL, making its record if it has none: [code, made]. */
function count_page(PDO $pdo, string $url): array
{
    if (is_sqlite($pdo)) {
        $page = $pdo->prepare(
            'INSERT INTO tallywick_pages (urlhash, url, hits) VALUES (?, ?, 1)
             ON CONFLICT (urlhash) DO UPDATE SET hits = hits + 1 RETURNING id, hits'
        );
        $page->execute([sha1($url, true), $url]);
        [$pageId, $hits] = $page->fetch(PDO::FETCH_NUM);
        $page->closeCursor();
        return [(int)$pageId, (int)$hits === 1];
    }
    $page = $pdo->prepare(
        'INSERT INTO tallywick_pages (urlhash, url, hits) VALUES (?, ?, 1)
         ON DUPLICATE KEY UPDATE hits = hits + 1, id = LAST_INSERT_ID(id)'
    );
    $page->execute([sha1($url, true), $url]);
    // One affected row for a new record, two for a changed one.
    return [(int)$pdo->lastInsertId(), $page->rowCount() === 1];
}

/** Adds one hit to this referer of the page, making its record if it has none; true if made. */
function count_referer(PDO $pdo, int $pageId, array $referer): bool
{
    $refHash = sha1($referer['advertising'] . "\n" . $referer['domain'] . "\n" . $referer['keyword'], true);
    $values = [$pageId, $refHash, $referer['domain'], $referer['keyword'], $referer['advertising']];
    if (is_sqlite($pdo)) {
        $row = $pdo->prepare(
            'INSERT INTO tallywick_referers (page, refhash, domain, keyword, advertising, hits)
             VALUES (?, ?, ?, ?, ?, 1) ON CONFLICT (page, refhash) DO UPDATE SET hits = hits + 1 RETURNING hits'
        );
        $row->execute($values);
        $hits = (int)$row->fetchColumn();
        $row->closeCursor();
        return $hits === 1;
    }
    $row = $pdo->prepare(
        'INSERT INTO tallywick_referers (page, refhash, domain, keyword, advertising, hits)
         VALUES (?, ?, ?, ?, ?, 1) ON DUPLICATE KEY UPDATE hits = hits + 1'
    );
    $row->execute($values);
    return $row->rowCount() === 1;
}

/**
 * Adds to the page's bucket of the hour (no page: a robot's view) and to the site's row of
 * the hour: its hits, its robots and the records made in it. How many pages and referers the
 * hour made so far; [0, 0] on MySQL when this view made none, which spares the question.
 */
function count_hours(PDO $pdo, ?int $pageId, int $hour, int $hits, int $robots, int $pages, int $referers): array
{
    if (is_sqlite($pdo)) {
        if ($pageId !== null) {
            $pdo->prepare(
                'INSERT INTO tallywick_page_hours (page, hour, hits) VALUES (?, ?, 1)
                 ON CONFLICT (page, hour) DO UPDATE SET hits = hits + 1'
            )->execute([$pageId, $hour]);
        }
        $row = $pdo->prepare(
            'INSERT INTO tallywick_hours (hour, hits, robots, newpages, newreferers) VALUES (?, ?, ?, ?, ?)
             ON CONFLICT (hour) DO UPDATE SET hits = hits + excluded.hits, robots = robots + excluded.robots,
                 newpages = newpages + excluded.newpages, newreferers = newreferers + excluded.newreferers
             RETURNING newpages, newreferers'
        );
        $row->execute([$hour, $hits, $robots, $pages, $referers]);
        $made = $row->fetch(PDO::FETCH_NUM);
        $row->closeCursor();
        return [(int)$made[0], (int)$made[1]];
    }
    // Both rows in one round trip: the server is a network away.
    $statements = 'INSERT INTO tallywick_hours (hour, hits, robots, newpages, newreferers) VALUES (?, ?, ?, ?, ?)
        ON DUPLICATE KEY UPDATE hits = hits + ?, robots = robots + ?, newpages = newpages + ?,
            newreferers = newreferers + ?';
    $values = [$hour, $hits, $robots, $pages, $referers, $hits, $robots, $pages, $referers];
    if ($pageId !== null) {
        // The page's row first, in the order every view and every delete takes its rows.
        $statements = 'INSERT INTO tallywick_page_hours (page, hour, hits) VALUES (?, ?, 1)
            ON DUPLICATE KEY UPDATE hits = hits + 1; ' . $statements;
        array_unshift($values, $pageId, $hour);
    }
    $both = $pdo->prepare($statements);
    $both->execute($values);
    while ($both->nextRowset()) {
        // Each statement's outcome is read, so that the connection is free for the next.
    }
    $both->closeCursor();
    if ($pages === 0 && $referers === 0) {
        return [0, 0];
    }
    $row = $pdo->prepare('SELECT newpages, newreferers FROM tallywick_hours WHERE hour = ?');
    $row->execute([$hour]);
    $made = $row->fetch(PDO::FETCH_NUM);
    $row->closeCursor();
    return [(int)$made[0], (int)$made[1]];
}
