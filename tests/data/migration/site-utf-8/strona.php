<?php
header('Content-Type: text/html; charset=utf-8');
ini_set("default_charset", "utf-8");
mb_internal_encoding('utf-8');
$odpowiedz->header("charset=windows-1250");
?>
<p>Pięść, łoś, źrebię</p>
