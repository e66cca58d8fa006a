<?php
// The content of one news item as HTML, every byte that could be misread sent as "$XX".
// Fields: memusername, prodcode, prodtype, newsid, newstarget.

declare(strict_types=1);

namespace Tallywick\News;

ini_set('display_errors', '0');
require_once __DIR__ . '/newsdb.php';

reply(static function (): string {
    $id = field('newsid');
    if ($id === null || !preg_match('/^[0-9]{1,18}$/', $id)) {
        return INVALID_NEWS;
    }
    $pdo = open_database();
    $content = news_content($pdo, requested_product($pdo), (int)$id);
    return $content === null ? INVALID_NEWS : hex_escaped($content) . END_MARKER;
});
