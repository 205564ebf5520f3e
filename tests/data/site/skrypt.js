// Zażółć gęślą jaźń. ĄĆĘŁŃÓŚŹŻ
var a = "źdźbło";
