// ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ
const powitanie = "Dzień dobry, świecie!";
alert(powitanie);
