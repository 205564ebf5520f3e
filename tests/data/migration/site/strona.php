<?php
header('Content-Type: text/html; charset=windows-1250');
ini_set("default_charset", "windows-1250");
mb_internal_encoding('Windows-1250');
$odpowiedz->header("charset=windows-1250");
?>
<p>Piêœæ, ³oœ, Ÿrebiê</p>
