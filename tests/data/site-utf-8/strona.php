<?php header('Content-Type: text/html; charset=utf-8'); ?>
<p>Zażółć gęślą jaźń. ĄĆĘŁŃÓŚŹŻ</p>
