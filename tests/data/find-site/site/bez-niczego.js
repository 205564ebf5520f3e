// nic tu nie ma
var x = 1;
