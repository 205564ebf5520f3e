var miasta = ["£ódŸ", "Œwiêtoch³owice"];
