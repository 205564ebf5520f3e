<?php header('Content-Type: text/html; charset=windows-1250'); ?>
<p>Za¿ó³æ gêœl¹ jaŸñ. ¥ÆÊ£ÑÓŒ¯</p>
