<?php
// The news of a product: every item ("conttype" all), newest first, or the newest one only
// ("lastcode"). Fields: memusername (publisher id), prodcode, prodtype (BM, BP or BG),
// conttype, newstarget.

declare(strict_types=1);

namespace Tallywick\News;

ini_set('display_errors', '0');
require_once __DIR__ . '/newsdb.php';

reply(static function (): string {
    $kind = field('conttype');
    $target = field('newstarget');
    if (($kind !== 'all' && $kind !== 'lastcode') || $target === null) {
        return BAD_REQUEST;
    }
    $pdo = open_database();
    $items = news_items($pdo, requested_product($pdo), $target, $kind === 'lastcode' ? 1 : null);
    if ($items === []) {
        return 'OK';
    }
    if ($kind === 'lastcode') {
        [$id, $title] = $items[0];
        return $id . '^' . record_text((string)$title) . END_MARKER;
    }
    $records = array_map(
        static fn (array $item): string => $item[0] . '^' . record_text((string)$item[1]) . '^' . record_text((string)$item[2]),
        $items
    );
    return implode(RECORD_SEPARATOR, $records) . END_MARKER;
});
