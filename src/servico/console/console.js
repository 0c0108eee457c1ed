// The console's only script, built into the executable: asks before an
// action that changes the database.
document.addEventListener('submit', function (evento) {
  var pergunta = evento.target.getAttribute('data-confirma');
  if (pergunta && !window.confirm(pergunta))
    evento.preventDefault();
});
